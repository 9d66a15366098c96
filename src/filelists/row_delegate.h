// How the directory and file lists draw a row: its text as wide as it is, so that a name wider
// than the list is scrolled to sideways, and the whole text as a tooltip while it is cut. The
// lists differ only in where the text starts and what is drawn beside it.
#pragma once

#include "filelists/list_rows.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace filelists {

// List: a list control with ItemHeight() and rowExtent().
template <class List> class RowDelegate : public QStyledItemDelegate {
public:
    explicit RowDelegate(List* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {list_->rowExtent().width(), list_->ItemHeight()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect r = option.rect;
        beginRow(painter, option, list_);
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect where = textRect(option, index, text);
        drawBeside(painter, option, index, where);
        painter->drawText(where, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        endRow(painter, option, list_);
        list_->rowExtent().drawn(where.right() + 1 - r.left() + 2);
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const QString text = index.data(Qt::DisplayRole).toString();
        return showClippedRowTip(event, view, textRect(option, index, text), text);
    }

protected:
    // Where the row's text starts, in pixels from the row's left edge.
    virtual int textLeft(const QModelIndex& index) const = 0;
    // Draws what stands beside the text (a glyph, an icon); text is where the text goes.
    virtual void drawBeside(QPainter*, const QStyleOptionViewItem&, const QModelIndex&,
                            const QRect& /*text*/) const {}

    List* list_;

private:
    // The text's place, vertically centred by the height of "Pp", as wide as the text.
    QRect textRect(const QStyleOptionViewItem& option, const QModelIndex& index,
                   const QString& text) const {
        const QRect r = option.rect;
        const QFontMetrics metrics(option.font);
        const int y = r.top() + (r.height() - metrics.height()) / 2;
        return QRect(r.left() + textLeft(index), y, metrics.horizontalAdvance(text),
                     metrics.height());
    }
};

} // namespace filelists
