// Which display system the program runs on. Window positions, stay-on-top tool windows and
// windows shown without taking the focus need X11; in a Wayland session the program runs on
// XWayland unless the user chose a platform.
#pragma once

#include <QByteArray>
#include <functional>

namespace platform {

// The toolkit platform to ask for before the application object exists: "xcb" in a Wayland
// session that offers XWayland (DISPLAY set), when neither QT_QPA_PLATFORM nor a -platform
// argument names one; empty otherwise (the toolkit's own choice stands). environment reads a
// variable (empty when unset).
QByteArray displayPlatformFor(const std::function<QByteArray(const char*)>& environment, int argc,
                              const char* const* argv);

// Sets QT_QPA_PLATFORM as displayPlatformFor says, from the real environment.
void chooseDisplayPlatform(int argc, const char* const* argv);

} // namespace platform
