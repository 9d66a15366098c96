#include "preview/status_panel.h"

#include "platform/plain_tip.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace preview {
namespace {

const QString kEllipsis = QStringLiteral("…");

} // namespace

qsizetype shortenableLength(const QString& text) {
    for (const QString& ending : {QStringLiteral(" - Playing"), QStringLiteral(" - Stopped")})
        if (text.endsWith(ending))
            return text.size() - ending.size();
    const qsizetype size = text.lastIndexOf(QStringLiteral(" - Image Size: "));
    if (size >= 0)
        return size;
    const QString fileSize = QStringLiteral("FileSize:");
    if (text.startsWith(fileSize))
        return fileSize.size();
    return text.size();
}

QString elidedStatus(const QString& text, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const qsizetype cut = shortenableLength(text);
    const QString head = text.left(cut);
    const QString rest = text.mid(cut);
    const int room = width - metrics.horizontalAdvance(rest);
    // The folders give way first, so the file's own name stays whole while it can.
    const qsizetype slash = head.lastIndexOf(u'/');
    if (slash >= 0) {
        const QString name = head.mid(slash);
        const int folderRoom = room - metrics.horizontalAdvance(name);
        if (folderRoom >= metrics.horizontalAdvance(kEllipsis)) {
            const QString folders =
                metrics.elidedText(head.left(slash), Qt::ElideMiddle, folderRoom);
            return (folders.isEmpty() ? kEllipsis : folders) + name + rest;
        }
    }
    if (room >= metrics.horizontalAdvance(kEllipsis)) {
        QString shortened = metrics.elidedText(head, Qt::ElideMiddle, room);
        // A head too short to keep any letter is the ellipsis alone.
        if (shortened.isEmpty())
            shortened = kEllipsis;
        return shortened + rest;
    }
    if (width < metrics.horizontalAdvance(kEllipsis))
        return {};
    return metrics.elidedText(kEllipsis + rest, Qt::ElideRight, width);
}

StatusPanel::StatusPanel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // Names and paths are shown as they are, never read as markup.
    setTextFormat(Qt::PlainText);
}

QRect StatusPanel::textRect() const {
    QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const int in = indent() < 0 ? 0 : indent();
    if (alignment() & Qt::AlignRight)
        r.setRight(r.right() - in);
    else
        r.setLeft(r.left() + in);
    return r;
}

QString StatusPanel::shownText() const {
    return elidedStatus(text(), fontMetrics(), textRect().width());
}

void StatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(textRect(), int(alignment()) | Qt::TextSingleLine, shownText());
}

bool StatusPanel::event(QEvent* event) {
    // The whole text shows on hover whenever the panel shortens it.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const QString shown = shownText();
        if (shown == text())
            QToolTip::hideText();
        else
            platform::showPlainToolTip(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

} // namespace preview
