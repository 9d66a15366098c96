// How wide a window must be for the window manager to show its whole caption beside its
// buttons. Window managers draw captions in their own bold title font and elide what does not
// fit ("Gli… ge"); the program can only leave them room.
#pragma once

#include <QString>

namespace platform {

// The outer width that shows caption whole: its width in the desktop's title font, bold, plus
// room for the window icon and up to four title-bar buttons.
int captionedWindowWidth(const QString& caption);

} // namespace platform
