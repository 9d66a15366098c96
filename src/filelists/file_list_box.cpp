#include "filelists/file_list_box.h"

#include "filelists/directory_list_box.h"
#include "filelists/file_list_model.h"
#include "filelists/list_rows.h"
#include "filelists/row_delegate.h"
#include "filelists/row_metrics.h"
#include "platform/error_box.h"
#include "platform/volumes.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <cstdlib>

namespace {

// The hourglass, from the moment it is asked for until the enumeration ends, however it ends.
class BusyCursor {
public:
    BusyCursor() = default;
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    ~BusyCursor() {
        if (shown_)
            QGuiApplication::restoreOverrideCursor();
    }
    void show() {
        if (!shown_)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        shown_ = true;
    }

private:
    bool shown_ = false;
};

// Draws a file row: text 2 pixels in (22 with the icon).
class FileRowDelegate : public filelists::RowDelegate<TRzFileListBox> {
public:
    using RowDelegate::RowDelegate;

protected:
    int textLeft(const QModelIndex&) const override { return list_->ShowGlyphs() ? 22 : 2; }

    void drawBeside(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                    const QRect& text) const override {
        if (!list_->ShowGlyphs())
            return;
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        iconFor(index.row())
            .paint(painter, QRect(option.rect.left() + 2, text.top() - 1, 16, 16),
                   Qt::AlignLeft | Qt::AlignTop, selected ? QIcon::Selected : QIcon::Normal);
    }

private:
    // The desktop's icon of a file, looked up once per extension.
    QIcon iconFor(int row) const {
        const QString path = QString::fromUtf8(list_->NativeDirectory()) + u'/' + list_->Item(row);
        const QFileInfo info(path);
        const QString key = info.isDir() ? QStringLiteral("/") : info.suffix().toLower();
        auto found = icons_.constFind(key);
        if (found != icons_.constEnd())
            return *found;
        const QIcon icon = provider_.icon(info);
        icons_.insert(key, icon);
        return icon;
    }

    QFileIconProvider provider_;
    mutable QHash<QString, QIcon> icons_;
};

} // namespace

TRzFileListBox::TRzFileListBox(QWidget* parent)
    : QListView(parent), model_(new filelists::FileListModel(this)),
      directory_(platform::currentDirectoryOrRoot()) {
    setModel(model_);
    setItemDelegate(new FileRowDelegate(this));
    filelists::setUpRowList(this);
    setTextElideMode(Qt::ElideNone);
    setAccessibleName(QStringLiteral("Files"));
    applyItemHeight();
}

TRzFileListBox::~TRzFileListBox() {
    if (dirList_)
        dirList_->fileList_ = nullptr;
}

TRzDirectoryListBox* TRzFileListBox::DirList() const {
    return dirList_;
}

void TRzFileListBox::setMask(const QString& mask) {
    if (mask == mask_)
        return;
    mask_ = mask;
    readFileNames();
}

void TRzFileListBox::setFileType(TFileType fileType) {
    if (fileType == fileType_)
        return;
    fileType_ = fileType;
    readFileNames();
}

void TRzFileListBox::setShowGlyphs(bool show) {
    showGlyphs_ = show;
    viewport()->update();
}

QString TRzFileListBox::Directory() const {
    return platform::displayName(directory_);
}

void TRzFileListBox::setDirectory(const QString& path) {
    moveTo(QFile::encodeName(path));
}

void TRzFileListBox::setNativeDirectory(const QByteArray& path) {
    moveTo(path);
}

void TRzFileListBox::moveTo(const QByteArray& path) {
    if (path.isEmpty() || platform::samePath(path, directory_))
        return;
    const QByteArray old = directory_;
    platform::setCurrentDirectory(path);
    directory_ = platform::currentDirectory();
    try {
        readFileNames();
    } catch (...) {
        directory_ = old;
        throw;
    }
}

void TRzFileListBox::setItemIndex(int index) {
    settingIndex_ = true;
    if (index >= 0 && index < Count()) {
        const QModelIndex target = model_->index(index);
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        scrollTo(target);
    } else {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    }
    settingIndex_ = false;
    itemIndex_ = (index >= 0 && index < Count()) ? index : -1;
}

QString TRzFileListBox::SelectedPath() const {
    if (itemIndex_ < 0)
        return {};
    return platform::displayName(SelectedNativePath());
}

QByteArray TRzFileListBox::SelectedNativePath() const {
    return NativePathOf(itemIndex_);
}

QByteArray TRzFileListBox::NativePathOf(int row) const {
    if (row < 0 || row >= Count())
        return {};
    QByteArray path = directory_;
    if (!path.endsWith('/'))
        path += '/';
    return path + NativeItem(row);
}

void TRzFileListBox::setItemHeight(int height) {
    itemHeight_ = height;
    doItemsLayout();
}

int TRzFileListBox::Count() const {
    return int(model_->rows().size());
}

QString TRzFileListBox::Item(int row) const {
    if (row < 0 || row >= Count())
        return {};
    return model_->rows()[size_t(row)].text;
}

QByteArray TRzFileListBox::NativeItem(int row) const {
    if (row < 0 || row >= Count())
        return {};
    return model_->rows()[size_t(row)].nativeText();
}

int TRzFileListBox::NativeIndexOf(const QByteArray& text, int near) const {
    int best = -1;
    if (text.isEmpty())
        return best;
    for (int row = 0; row < Count(); ++row)
        if (NativeItem(row) == text && (best < 0 || std::abs(row - near) < std::abs(best - near)))
            best = row;
    return best;
}

void TRzFileListBox::Reload() {
    readFileNames();
}

void TRzFileListBox::readFileNames() {
    if (!windowCreated_)
        return;
    {
        // A failure to enter or read the directory leaves the old rows.
        platform::setCurrentDirectory(directory_);
        BusyCursor busy;
        std::vector<filelists::FileRow> rows =
            filelists::readFileRows(QByteArrayLiteral("."), filelists::MaskMatcher(mask_),
                                    fileType_, [&busy] { busy.show(); });
        settingIndex_ = true;
        rowExtent_.reset();
        model_->setRows(std::move(rows));
        settingIndex_ = false;
        itemIndex_ = -1;
    }
    emit OnChange();
}

void TRzFileListBox::applyItemHeight() {
    itemHeight_ =
        filelists::fileRowHeight(filelists::textHeight(font()), filelists::systemTextHeight());
    doItemsLayout();
}

void TRzFileListBox::showEvent(QShowEvent* event) {
    QListView::showEvent(event);
    if (windowCreated_)
        return;
    windowCreated_ = true;
    platform::guarded([this] { readFileNames(); });
}

void TRzFileListBox::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    // A new font gives new row heights; the list is made anew, which re-reads its rows.
    applyItemHeight();
    if (windowCreated_)
        platform::guarded([this] { readFileNames(); });
}

void TRzFileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit OnDblClick();
}

void TRzFileListBox::keyPressEvent(QKeyEvent* event) {
    // With no row selected, the arrow keys, Home and Page Up select the first row and End
    // the last. The view itself makes the first row current, unselected, when it takes the
    // focus, and would step past it; without a current row it takes End to the first row.
    const int key = event->key();
    const bool toFirst =
        key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_Home || key == Qt::Key_PageUp;
    if ((toFirst || key == Qt::Key_End) && itemIndex_ < 0 && Count() > 0 &&
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
        const QModelIndex target = model_->index(toFirst ? 0 : Count() - 1);
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        scrollTo(target);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void TRzFileListBox::selectionChanged(const QItemSelection& selected,
                                      const QItemSelection& deselected) {
    QListView::selectionChanged(selected, deselected);
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    const int now = rows.isEmpty() ? -1 : rows.front().row();
    if (now == itemIndex_ || settingIndex_)
        return;
    itemIndex_ = now;
    emit OnChange();
}

QItemSelectionModel::SelectionFlags TRzFileListBox::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    return filelists::singleRowSelection(index, QListView::selectionCommand(index, event));
}
