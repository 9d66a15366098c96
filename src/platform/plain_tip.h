// Tooltips that show a text exactly as it reads. The toolkit guesses whether a tooltip is
// markup, so a file name such as "<img src=f>.png" would be drawn as a picture (and f read,
// which hangs on a FIFO) if it were handed over as it is.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QWidget;

namespace platform {

// The text as a tooltip shows it literally: every character escaped, blanks kept (two names
// that differ by a blank must not read the same), no line wrapped.
QString plainToolTip(const QString& text);

// Shows text as a tooltip at globalPos for widget (while the pointer stays within rect, in the
// widget's coordinates, when rect is given).
void showPlainToolTip(const QPoint& globalPos, const QString& text, QWidget* widget,
                      const QRect& rect = {});

} // namespace platform
