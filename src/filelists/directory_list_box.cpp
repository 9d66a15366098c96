#include "filelists/directory_list_box.h"

#include "filelists/directory_entries.h"
#include "filelists/directory_request.h"
#include "filelists/drive_combo_box.h"
#include "filelists/file_list_box.h"
#include "filelists/glyphs.h"
#include "filelists/list_rows.h"
#include "filelists/row_delegate.h"
#include "filelists/row_metrics.h"
#include "platform/error_box.h"
#include "platform/errors.h"
#include "platform/volumes.h"

#include <QAbstractListModel>
#include <QFile>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <algorithm>

namespace filelists {

// The directory rows' texts, for the view and for assistive technology.
class DirectoryListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setTexts(QStringList texts) {
        beginResetModel();
        texts_ = std::move(texts);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(texts_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= texts_.size())
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return texts_[index.row()];
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                               : Qt::NoItemFlags;
    }

private:
    QStringList texts_;
};

} // namespace filelists

namespace {

// Draws a directory row: the glyph at the row's indent, vertically centred, the text 4 pixels
// after the 16-pixel glyph.
class DirectoryRowDelegate : public filelists::RowDelegate<TRzDirectoryListBox> {
public:
    using RowDelegate::RowDelegate;

protected:
    int textLeft(const QModelIndex& index) const override {
        return 16 + list_->ItemIndent(index.row()) + 4;
    }

    void drawBeside(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                    const QRect&) const override {
        const QRect r = option.rect;
        const QImage& picture = filelists::glyph(glyphOf(list_->ItemKind(index.row())));
        const int top = r.top() + r.height();
        painter->drawImage(QPoint(r.left() + list_->ItemIndent(index.row()),
                                  (r.top() + top - picture.height()) / 2),
                           picture);
    }

private:
    static filelists::Glyph glyphOf(TRzDirectoryListBox::RowKind kind) {
        switch (kind) {
        case TRzDirectoryListBox::RowKind::Open:
            return filelists::Glyph::OpenFolder;
        case TRzDirectoryListBox::RowKind::Current:
            return filelists::Glyph::CurrentFolder;
        case TRzDirectoryListBox::RowKind::Closed:
            break;
        }
        return filelists::Glyph::ClosedFolder;
    }
};

} // namespace

TRzDirectoryListBox::TRzDirectoryListBox(QWidget* parent)
    : QListView(parent), model_(new filelists::DirectoryListModel(this)),
      directory_(platform::currentDirectoryOrRoot()) {
    setModel(model_);
    setItemDelegate(new DirectoryRowDelegate(this));
    filelists::setUpRowList(this);
    setAccessibleName(QStringLiteral("Folders"));
    applyItemHeight();
    buildRows();
}

TRzDirectoryListBox::~TRzDirectoryListBox() {
    if (fileList_)
        fileList_->dirList_ = nullptr;
    if (driveCombo_)
        driveCombo_->dirList_ = nullptr;
}

TRzFileListBox* TRzDirectoryListBox::FileList() const {
    return fileList_;
}

TRzDriveComboBox* TRzDirectoryListBox::DriveCombo() const {
    return driveCombo_;
}

void TRzDirectoryListBox::setFileList(TRzFileListBox* fileList) {
    if (fileList_ == fileList)
        return;
    if (fileList_)
        fileList_->dirList_ = nullptr;
    fileList_ = fileList;
    if (fileList) {
        if (fileList->dirList_ && fileList->dirList_ != this)
            fileList->dirList_->fileList_ = nullptr;
        fileList->dirList_ = this;
    }
}

void TRzDirectoryListBox::setShowLongNames(bool show) {
    if (show == showLongNames_)
        return;
    showLongNames_ = show;
    buildRows();
}

QString TRzDirectoryListBox::Directory() const {
    return platform::displayName(directory_);
}

void TRzDirectoryListBox::setDirectory(const QString& path) {
    setNativeDirectory(QFile::encodeName(path));
}

void TRzDirectoryListBox::setNativeDirectory(const QByteArray& path) {
    if (path.isEmpty())
        return;
    const QByteArray compared = path.startsWith('/') ? platform::cleanPath(path) : path;
    if (platform::samePath(compared, directory_))
        return;
    changeTo(filelists::requestedDirectory(path, platform::currentDirectoryOrRoot()));
}

template <typename F> void TRzDirectoryListBox::changeWith(F&& enter) {
    const Snapshot saved = snapshot();
    try {
        enter();
        buildRows();
        moveFileList();
    } catch (...) {
        restore(saved);
        throw;
    }
    emit OnChange();
}

void TRzDirectoryListBox::changeTo(const QByteArray& target) {
    changeWith([&] {
        // Onto another volume: the drive selector selects it first, which moves Directory to
        // that volume's own current directory without rebuilding anything.
        const QByteArray root = platform::volumeOf(target).root;
        if (root != platform::volumeOf(directory_).root) {
            const QScopedValueRollback inside(settingDirectory_, true);
            if (driveCombo_)
                driveCombo_->setNativeDrive(root);
            else
                switchDrive(root);
        }
        platform::setCurrentDirectory(target);
        directory_ = platform::currentDirectory();
        const QByteArray reached = platform::volumeOf(directory_).root;
        if (driveCombo_ && driveCombo_->NativeDrive() != reached) {
            // A symbolic link led onto yet another volume.
            const QScopedValueRollback inside(settingDirectory_, true);
            driveCombo_->setNativeDrive(reached);
        }
    });
}

void TRzDirectoryListBox::switchDrive(const QByteArray& root) {
    if (root.isEmpty() || root == platform::volumeOf(directory_).root)
        return;
    const auto enter = [&] {
        // The volume's own current directory, else (never entered, or gone since) its root.
        const QByteArray remembered = platform::volumeCurrentDirectory(root);
        try {
            platform::setCurrentDirectory(remembered);
        } catch (const platform::InOutError&) {
            if (remembered == root)
                throw;
            platform::setCurrentDirectory(root);
        }
        directory_ = platform::currentDirectory();
    };
    if (settingDirectory_) {
        enter();
        return;
    }
    changeWith(enter);
}

void TRzDirectoryListBox::Reload() {
    buildRows();
    moveFileList();
    emit OnChange();
}

void TRzDirectoryListBox::moveFileList() {
    if (fileList_)
        fileList_->moveTo(directory_);
}

void TRzDirectoryListBox::buildRows() {
    const platform::Volume volume = platform::volumeOf(directory_);
    caseSensitive_ = !volume.caseInsensitive;
    const QByteArray& root = volume.root;
    std::vector<Row> rows;
    if (directory_ == root) {
        rows.push_back({platform::displayName(root), root, RowKind::Current});
    } else {
        rows.push_back({platform::displayName(root), root, RowKind::Open});
        const QByteArray below = directory_.mid(root == "/" ? 1 : root.size() + 1);
        const QList<QByteArray> parts = below.split('/');
        QByteArray path = root;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            path = filelists::joinPath(path, parts[i]);
            rows.push_back({platform::displayName(parts[i]), path,
                            i + 1 == parts.size() ? RowKind::Current : RowKind::Open});
        }
    }
    const int current = int(rows.size()) - 1;
    for (const QByteArray& name : filelists::readSubdirectoryNames(directory_))
        rows.push_back(
            {platform::displayName(name), filelists::joinPath(directory_, name), RowKind::Closed});
    setRows(std::move(rows), current);
}

void TRzDirectoryListBox::setRows(std::vector<Row> rows, int highlighted) {
    QStringList texts;
    texts.reserve(qsizetype(rows.size()));
    for (const Row& row : rows)
        texts.append(row.text);
    rows_ = std::move(rows);
    setUpdatesEnabled(false);
    rowExtent_.reset();
    model_->setTexts(std::move(texts));
    setItemIndex(highlighted);
    setUpdatesEnabled(true);
}

TRzDirectoryListBox::Snapshot TRzDirectoryListBox::snapshot() const {
    return {directory_, rows_, ItemIndex(), caseSensitive_};
}

void TRzDirectoryListBox::restore(const Snapshot& saved) {
    directory_ = saved.directory;
    caseSensitive_ = saved.caseSensitive;
    setRows(saved.rows, saved.highlighted);
    try {
        platform::setCurrentDirectory(directory_);
    } catch (const std::exception&) {
        // The old directory is gone too; the next change of directory reports it.
    }
    if (driveCombo_)
        driveCombo_->showDrive(platform::volumeOf(directory_).root);
}

void TRzDirectoryListBox::setItemHeight(int height) {
    itemHeight_ = height;
    doItemsLayout();
}

void TRzDirectoryListBox::applyItemHeight() {
    itemHeight_ = filelists::directoryRowHeight(filelists::textHeight(font()));
    doItemsLayout();
}

int TRzDirectoryListBox::Count() const {
    return int(rows_.size());
}

QString TRzDirectoryListBox::Item(int row) const {
    return row >= 0 && row < Count() ? rows_[size_t(row)].text : QString();
}

TRzDirectoryListBox::RowKind TRzDirectoryListBox::ItemKind(int row) const {
    return row >= 0 && row < Count() ? rows_[size_t(row)].kind : RowKind::Closed;
}

QByteArray TRzDirectoryListBox::ItemPath(int row) const {
    return row >= 0 && row < Count() ? rows_[size_t(row)].path : QByteArray();
}

int TRzDirectoryListBox::ItemIndent(int row) const {
    if (ItemKind(row) != RowKind::Closed)
        return 4 * row + 2;
    // Counted as the separators of a Windows path, where a root has one: the subdirectories
    // of a root and of its first-level directories share one indent.
    int current = 0;
    while (current < Count() && rows_[size_t(current)].kind != RowKind::Current)
        ++current;
    return 4 * (std::max(current, 1) + 1) + 2;
}

int TRzDirectoryListBox::ItemIndex() const {
    const QModelIndexList rows = selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TRzDirectoryListBox::setItemIndex(int row) {
    if (row >= 0 && row < Count()) {
        const QModelIndex target = model_->index(row);
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
        scrollTo(target);
    } else {
        selectionModel()->clearSelection();
    }
}

void TRzDirectoryListBox::OpenItem() {
    const int row = ItemIndex();
    if (row >= 0)
        setNativeDirectory(ItemPath(row));
}

void TRzDirectoryListBox::changeEvent(QEvent* event) {
    QListView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyItemHeight();
}

void TRzDirectoryListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        platform::guarded([this] { OpenItem(); });
        return;
    }
    QListView::keyPressEvent(event);
}

void TRzDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        platform::guarded([this] { OpenItem(); });
}

QItemSelectionModel::SelectionFlags
TRzDirectoryListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const {
    return filelists::singleRowSelection(index, QListView::selectionCommand(index, event));
}
