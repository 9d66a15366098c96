#include "platform/plain_tip.h"

#include <QTextDocument>
#include <QToolTip>

namespace platform {

QString plainToolTip(const QString& text) {
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

void showPlainToolTip(const QPoint& globalPos, const QString& text, QWidget* widget,
                      const QRect& rect) {
    QToolTip::showText(globalPos, plainToolTip(text), widget, rect);
}

} // namespace platform
