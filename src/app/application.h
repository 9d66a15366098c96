// Program entry: the application object, the window set and the message loop.
#pragma once

class TAboutBox;
class TForm1;

// The program's windows, one instance each, created at start-up in this order and alive until
// the program ends. Windows reach each other through these.
extern TForm1* Form1;
extern TAboutBox* AboutBox;

namespace app {

// Runs Glimra: creates the application and its windows, then the message loop until the
// browser window closes. Returns the process exit code. --help and --version answer on the
// terminal and open no window.
int run(int argc, char** argv);

} // namespace app
