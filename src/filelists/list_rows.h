// What the list controls share: at most one selected row, fixed-height rows drawn by the
// control itself.
#pragma once

#include <QItemSelectionModel>

class QListView;
class QPainter;
class QStyleOptionViewItem;
class QWidget;

namespace filelists {

// A single-selection list of whole rows, not editable, without horizontal scrolling.
void setUpRowList(QListView* view);

// The selection a click or key makes, as in the platform's single-selection list box: a click
// beside the rows changes nothing, a click on a row selects it and never deselects it.
QItemSelectionModel::SelectionFlags singleRowSelection(const QModelIndex& index,
                                                       QItemSelectionModel::SelectionFlags flags);

// Starts drawing a row: clipped to the row, its background filled (highlighted when
// selected), font and pen set for its text. endRow adds the focus frame and restores the
// painter.
void beginRow(QPainter* painter, const QStyleOptionViewItem& option);
void endRow(QPainter* painter, const QStyleOptionViewItem& option, const QWidget* widget);

} // namespace filelists
