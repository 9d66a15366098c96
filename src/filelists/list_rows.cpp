#include "filelists/list_rows.h"

#include <QListView>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionViewItem>

namespace filelists {

void setUpRowList(QListView* view) {
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row is as high as the first: the view lays out 100,000 rows without asking each.
    view->setUniformItemSizes(true);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QItemSelectionModel::SelectionFlags singleRowSelection(const QModelIndex& index,
                                                       QItemSelectionModel::SelectionFlags flags) {
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    if (flags.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return flags;
}

void beginRow(QPainter* painter, const QStyleOptionViewItem& option) {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
    painter->setFont(option.font);
    painter->setPen(selected ? option.palette.highlightedText().color()
                             : option.palette.text().color());
}

void endRow(QPainter* painter, const QStyleOptionViewItem& option, const QWidget* widget) {
    if (option.state.testFlag(QStyle::State_HasFocus) && widget) {
        QStyleOptionFocusRect focus;
        focus.rect = option.rect;
        focus.palette = option.palette;
        focus.state = option.state;
        widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

} // namespace filelists
