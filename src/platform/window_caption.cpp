#include "platform/window_caption.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>

namespace platform {

int captionedWindowWidth(const QString& caption) {
    QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    title.setBold(true);
    const QFontMetrics metrics(title);
    // A title-bar button is about as wide as the bar is high, a little more than a line of
    // the title font; icon, minimize, maximize, close and the gaps between them.
    const int button = metrics.height() + 8;
    return metrics.horizontalAdvance(caption) + 5 * button;
}

} // namespace platform
