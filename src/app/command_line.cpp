#include "app/command_line.h"

#include "platform/profile.h"
#include "platform/version.h"
#include "settings/browser_options.h"
#include "settings/settings.h"

#include <QFileInfo>
#include <QString>
#include <cstring>

namespace app {
namespace {

bool isHelp(const char* argument) {
    return std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0;
}

bool isVersion(const char* argument) {
    return std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-V") == 0;
}

// The help file the browser window will use: ExecDir from GLIM.INI, else the data folder.
QString helpFileInUse() {
    return settings::helpFileIn(settings::readExecDir(settings::Settings()));
}

} // namespace

bool isTerminalOption(int argc, const char* const* argv) {
    return argc > 1 && (isHelp(argv[1]) || isVersion(argv[1]));
}

std::optional<int> runTerminalOption(int argc, const char* const* argv, std::ostream& out) {
    if (!isTerminalOption(argc, argv))
        return std::nullopt;
    if (isVersion(argv[1])) {
        out << "Glimra Version " GLIMRA_VERSION "\n";
        return 0;
    }
    const QString helpFile = helpFileInUse();
    const QString iniPath = platform::profilePath(settings::kSettingsFileName);
    out << "Usage: glimra [DIRECTORY]\n"
           "\n"
           "Glimra Graphic Browser: browse a folder's pictures, sounds, MIDI files and videos,\n"
           "preview each one, view pictures full size, and copy, move or delete them.\n"
           "Glimra opens in DIRECTORY; without one, in the start directory of its options,\n"
           "else in the current directory.\n"
           "\n"
           "  -h, --help     show this text and exit\n"
           "  -V, --version  show the version and exit\n"
           "\n"
        << "Help file: " << helpFile.toStdString()
        << (QFileInfo::exists(helpFile) ? "" : " (missing)") << '\n'
        << "Settings:  " << iniPath.toStdString() << '\n';
    return 0;
}

} // namespace app
