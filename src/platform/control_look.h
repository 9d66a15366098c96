// Colours that keep the keyboard focus and the checked state of controls visible in any theme,
// light or dark; the style draws everything else.
#pragma once

#include <QColor>

class QAbstractButton;
class QPalette;

namespace platform {

// A selected row's colours in a list that does not have the keyboard focus: quieter than the
// highlight, and its text readable on it.
QColor unfocusedSelection(const QPalette& palette);
QColor unfocusedSelectionText(const QPalette& palette);

// Gives a checkable button a checked look that stands out in any theme: while it is checked,
// its button colour is tinted with the highlight colour, which the style's sunken panel then
// shows.
void showCheckedState(QAbstractButton* button);

// Colour half way between two, channel by channel.
QColor mixed(const QColor& a, const QColor& b, double share);

} // namespace platform
