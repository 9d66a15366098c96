#include "filelists/drive_combo_box.h"

#include "filelists/directory_list_box.h"
#include "filelists/glyphs.h"
#include "filelists/list_rows.h"
#include "filelists/row_metrics.h"
#include "platform/error_box.h"
#include "platform/volumes.h"

#include <QEvent>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

constexpr int kRootRole = Qt::UserRole + 1;
constexpr int kTypeRole = Qt::UserRole + 2;

// Draws a drive row of the drop-down list: the glyph 2 pixels in, vertically centred, the text
// from 6 pixels after it, one line, vertically centred, ampersands shown as they are.
class DriveRowDelegate : public QStyledItemDelegate {
public:
    explicit DriveRowDelegate(TRzDriveComboBox* combo)
        : QStyledItemDelegate(combo), combo_(combo) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QFontMetrics metrics(option.font);
        return {16 + 6 + metrics.horizontalAdvance(index.data().toString()) + 4,
                combo_->ItemHeight()};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect r = option.rect;
        filelists::beginRow(painter, option);
        const auto type = platform::DriveType(index.data(kTypeRole).toInt());
        const QImage& picture = filelists::glyph(filelists::driveGlyph(type));
        const int bottom = r.top() + r.height();
        painter->drawImage(QPoint(r.left() + 2, (r.top() + bottom - picture.height()) / 2),
                           picture);
        const int x = r.left() + picture.width() + 6;
        painter->drawText(QRect(x, r.top(), std::max(r.right() - x + 1, 0), r.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        filelists::endRow(painter, option, nullptr);
    }

private:
    TRzDriveComboBox* combo_;
};

} // namespace

namespace filelists {

QString driveRowText(const platform::Volume& volume, TTextCase textCase) {
    const auto inCase = [&](const QString& text) {
        return textCase == tcUpperCase ? text.toUpper() : text.toLower();
    };
    const QString root = platform::displayName(volume.root);
    const QString label = u'[' + inCase(volume.label) + u']';
    switch (volume.type) {
    case platform::DriveType::Floppy:
        return root;
    case platform::DriveType::Network:
        return root + u' ' + (volume.source.isEmpty() ? label : inCase(volume.source));
    default:
        return root + u' ' + label;
    }
}

} // namespace filelists

TRzDriveComboBox::TRzDriveComboBox(QWidget* parent)
    : QComboBox(parent), drive_(platform::volumeOf(platform::currentDirectoryOrRoot()).root) {
    setEditable(false);
    setItemDelegate(new DriveRowDelegate(this));
    setIconSize(QSize(16, 13));
    setAccessibleName(QStringLiteral("Volumes"));
    itemHeight_ =
        filelists::driveRowHeight(filelists::textHeight(font()), filelists::systemTextHeight());
    // A choice of the user, by mouse or keyboard, selects that drive.
    connect(this, &QComboBox::activated, this, [this](int row) {
        const QByteArray root = ItemRoot(row);
        platform::guarded([&] { setNativeDrive(root); });
    });
    buildRows();
}

TRzDriveComboBox::~TRzDriveComboBox() {
    if (dirList_)
        dirList_->driveCombo_ = nullptr;
}

TRzDirectoryListBox* TRzDriveComboBox::DirList() const {
    return dirList_;
}

void TRzDriveComboBox::setDirList(TRzDirectoryListBox* dirList) {
    if (dirList_ == dirList)
        return;
    if (dirList_)
        dirList_->driveCombo_ = nullptr;
    dirList_ = dirList;
    if (dirList) {
        if (dirList->driveCombo_ && dirList->driveCombo_ != this)
            dirList->driveCombo_->dirList_ = nullptr;
        dirList->driveCombo_ = this;
    }
}

void TRzDriveComboBox::setDriveTypes(TDriveTypes types) {
    if (types == driveTypes_)
        return;
    driveTypes_ = types;
    buildRows();
}

void TRzDriveComboBox::setTextCase(TTextCase textCase) {
    if (textCase == textCase_)
        return;
    textCase_ = textCase;
    buildRows();
}

QString TRzDriveComboBox::Drive() const {
    return platform::displayName(drive_);
}

void TRzDriveComboBox::setDrive(const QString& root) {
    setNativeDrive(QFile::encodeName(root));
}

void TRzDriveComboBox::setNativeDrive(const QByteArray& root) {
    if (currentIndex() >= 0 && root == drive_)
        return;
    const QByteArray old = drive_;
    showDrive(root);
    if (dirList_ && !root.isEmpty()) {
        try {
            dirList_->switchDrive(root);
        } catch (...) {
            showDrive(old);
            throw;
        }
    }
    emit OnChange();
}

QByteArray TRzDriveComboBox::ItemRoot(int row) const {
    return itemData(row, kRootRole).toByteArray();
}

platform::DriveType TRzDriveComboBox::ItemType(int row) const {
    return platform::DriveType(itemData(row, kTypeRole).toInt());
}

void TRzDriveComboBox::fillRows() {
    const QSignalBlocker quiet(this);
    clear();
    for (const platform::Volume& volume : platform::volumes()) {
        if (!driveTypeListed(driveTypes_, volume.type))
            continue;
        const QImage& picture = filelists::glyph(filelists::driveGlyph(volume.type));
        addItem(QIcon(QPixmap::fromImage(picture)), filelists::driveRowText(volume, textCase_));
        setItemData(count() - 1, volume.root, kRootRole);
        setItemData(count() - 1, int(volume.type), kTypeRole);
    }
    setCurrentIndex(-1);
}

void TRzDriveComboBox::buildRows() {
    fillRows();
    setNativeDrive(drive_);
}

void TRzDriveComboBox::showDrive(const QByteArray& root) {
    drive_ = root;
    int row = -1;
    for (int i = 0; i < count() && row < 0 && !root.isEmpty(); ++i)
        if (ItemRoot(i) == root)
            row = i;
    const QSignalBlocker quiet(this);
    setCurrentIndex(row);
}

void TRzDriveComboBox::showPopup() {
    fillRows();
    showDrive(drive_);
    QComboBox::showPopup();
}

void TRzDriveComboBox::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    itemHeight_ =
        filelists::driveRowHeight(filelists::textHeight(font()), filelists::systemTextHeight());
    platform::guarded([this] { buildRows(); });
}
