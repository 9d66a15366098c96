// The primary screen's size in device-independent pixels; tests can set it.
#pragma once

#include <QSize>
#include <optional>

namespace platform {

QSize screenSize();
// A size every later screenSize() call returns; nullopt returns to the real screen.
void setScreenSizeOverride(std::optional<QSize> size);

} // namespace platform
