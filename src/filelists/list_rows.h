// What the list controls share: at most one selected row, fixed-height rows drawn by the
// control itself.
#pragma once

#include <QItemSelectionModel>
#include <QRect>
#include <QString>

class QAbstractItemView;
class QHelpEvent;
class QListView;
class QPainter;
class QStyleOptionViewItem;
class QWidget;

namespace filelists {

// A single-selection list of whole rows, not editable, that scrolls sideways to show a name
// wider than the list (RowExtent tells it how wide the rows are).
void setUpRowList(QListView* view);

// The width of the widest row a list has drawn, which it scrolls sideways to show. Only drawn
// rows are measured, so listing a folder of 100,000 files costs nothing more; the width grows
// as wider names come into view and starts again with every new set of rows.
class RowExtent {
public:
    explicit RowExtent(QAbstractItemView* view) : view_(view) {}
    int width() const { return width_; }
    // A row that needs this many pixels was drawn; a wider one than before lays the list out
    // again once the drawing is over.
    void drawn(int width);
    void reset();

private:
    QAbstractItemView* view_;
    int width_ = 1;
    bool pending_ = false;
};

// Shows the whole text of a row as a tooltip when the list shows it cut (text is where the
// row draws it, in viewport coordinates, unclipped); otherwise hides any tooltip. Always
// handles the event.
bool showClippedRowTip(QHelpEvent* event, QAbstractItemView* view, const QRect& text,
                       const QString& whole);

// The selection a click or key makes, as in the platform's single-selection list box: a click
// beside the rows changes nothing, a click on a row selects it and never deselects it.
QItemSelectionModel::SelectionFlags singleRowSelection(const QModelIndex& index,
                                                       QItemSelectionModel::SelectionFlags flags);

// Starts drawing a row: clipped to the row, its background filled, font and pen set for its
// text. A selected row is highlighted while list (when given) has the keyboard focus, and
// shown in a quieter colour while it has not, so the user sees which list the keys go to.
// endRow adds the style's focus frame to the current row of a focused list and restores the
// painter.
void beginRow(QPainter* painter, const QStyleOptionViewItem& option, const QWidget* list = nullptr);
void endRow(QPainter* painter, const QStyleOptionViewItem& option, const QWidget* widget);

} // namespace filelists
