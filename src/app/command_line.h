// The options that answer on the terminal and open no window: --help and --version.
#pragma once

#include <optional>
#include <ostream>

namespace app {

// When the first argument is --help (-h) or --version (-V), prints the usage or the version
// to out and returns the exit code; otherwise returns nothing and the program starts. An
// application object must exist for --help, which names the help file in use.
std::optional<int> runTerminalOption(int argc, const char* const* argv, std::ostream& out);

// Whether the first argument asks for one of those options.
bool isTerminalOption(int argc, const char* const* argv);

} // namespace app
