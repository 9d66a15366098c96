#include "platform/display_session.h"

#include <QtGlobal>
#include <cstring>

namespace platform {

QByteArray displayPlatformFor(const std::function<QByteArray(const char*)>& environment, int argc,
                              const char* const* argv) {
    if (!environment("QT_QPA_PLATFORM").trimmed().isEmpty())
        return {};
    // The toolkit reads "-platform NAME" (also spelt with two dashes) from the command line.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return {};
    const bool wayland = !environment("WAYLAND_DISPLAY").isEmpty() ||
                         environment("XDG_SESSION_TYPE").trimmed().toLower() == "wayland";
    if (!wayland || environment("DISPLAY").isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

void chooseDisplayPlatform(int argc, const char* const* argv) {
    const QByteArray platform =
        displayPlatformFor([](const char* name) { return qgetenv(name); }, argc, argv);
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

} // namespace platform
