#include "filelists/list_rows.h"

#include "platform/control_look.h"
#include "platform/plain_tip.h"

#include <QHelpEvent>
#include <QListView>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QToolTip>

namespace filelists {

void setUpRowList(QListView* view) {
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row is as high as the first: the view lays out 100,000 rows without asking each.
    view->setUniformItemSizes(true);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void RowExtent::drawn(int width) {
    if (width <= width_)
        return;
    width_ = width;
    if (pending_)
        return;
    pending_ = true;
    // Never from inside the drawing: the new width takes effect once it is over.
    QTimer::singleShot(0, view_, [this, view = QPointer<QAbstractItemView>(view_)] {
        if (!view)
            return;
        pending_ = false;
        view->doItemsLayout();
    });
}

void RowExtent::reset() {
    width_ = 1;
}

bool showClippedRowTip(QHelpEvent* event, QAbstractItemView* view, const QRect& text,
                       const QString& whole) {
    const QRect shown = view->viewport()->rect();
    if (text.left() >= shown.left() && text.right() <= shown.right()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // A name is shown as it reads, never taken for markup.
    platform::showPlainToolTip(event->globalPos(), whole, view->viewport(),
                               QRect(shown.left(), text.top(), shown.width(), text.height()));
    return true;
}

QItemSelectionModel::SelectionFlags singleRowSelection(const QModelIndex& index,
                                                       QItemSelectionModel::SelectionFlags flags) {
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    if (flags.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return flags;
}

void beginRow(QPainter* painter, const QStyleOptionViewItem& option, const QWidget* list) {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const bool focused = !list || list->hasFocus();
    painter->save();
    painter->setClipRect(option.rect);
    if (!selected) {
        painter->fillRect(option.rect, option.palette.base());
        painter->setPen(option.palette.text().color());
    } else if (focused) {
        painter->fillRect(option.rect, option.palette.highlight());
        painter->setPen(option.palette.highlightedText().color());
    } else {
        painter->fillRect(option.rect, platform::unfocusedSelection(option.palette));
        painter->setPen(platform::unfocusedSelectionText(option.palette));
    }
    painter->setFont(option.font);
}

void endRow(QPainter* painter, const QStyleOptionViewItem& option, const QWidget* widget) {
    if (option.state.testFlag(QStyle::State_HasFocus) && widget) {
        // The style's focus frame on the current row. Styles that draw it only after the
        // keyboard was used (Fusion) are told so: a list that has the focus shows it.
        QStyleOptionFocusRect focus;
        focus.rect = option.rect;
        focus.palette = option.palette;
        focus.state = option.state | QStyle::State_KeyboardFocusChange;
        focus.backgroundColor = option.state.testFlag(QStyle::State_Selected)
                                    ? option.palette.highlight().color()
                                    : option.palette.base().color();
        widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

} // namespace filelists
