#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {
namespace {
std::optional<QSize> g_override;
}

QSize screenSize() {
    if (g_override)
        return *g_override;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->size();
    return {640, 480};
}

void setScreenSizeOverride(std::optional<QSize> size) {
    g_override = size;
}

} // namespace platform
