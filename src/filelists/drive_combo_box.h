// TRzDriveComboBox: the drive selector, a drop-down list of the mounted volumes (a volume's
// mount root stands where Windows shows a drive letter); it drives the directory
// list.
#pragma once

#include "filelists/list_types.h"

#include <QByteArray>
#include <QComboBox>
#include <QPointer>
#include <QString>

class TRzDirectoryListBox;

namespace filelists {
// The text of a volume's row: the root alone for removable media; the root and the network
// path for a network volume (the bracketed label when it has none); else the root and the
// bracketed label ("/ []" without one). Label and network path in the case of textCase.
QString driveRowText(const platform::Volume& volume, TTextCase textCase);
} // namespace filelists

class TRzDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TRzDriveComboBox(QWidget* parent = nullptr);
    ~TRzDriveComboBox() override;

    // The directory list this selector drives; setting it also records this selector there.
    TRzDirectoryListBox* DirList() const;
    void setDirList(TRzDirectoryListBox* dirList);

    // Volume kinds listed (default all five); a change rebuilds the rows and selects the
    // drive again, raising OnChange.
    TDriveTypes DriveTypes() const { return driveTypes_; }
    void setDriveTypes(TDriveTypes types);

    // Case of the labels (default tcLowerCase); a change rebuilds the rows and selects the
    // drive again, raising OnChange.
    TTextCase TextCase() const { return textCase_; }
    void setTextCase(TTextCase textCase);

    // The selected volume's root; at creation the volume of the working directory. Setting it
    // does nothing when that drive's row is already selected; else its row is selected, the
    // directory list switches to the volume's own current directory, and OnChange is raised.
    // An empty root selects nothing. When the directory list cannot enter the volume, its
    // error is raised and the selection goes back.
    QString Drive() const;
    const QByteArray& NativeDrive() const { return drive_; }
    void setDrive(const QString& root);
    void setNativeDrive(const QByteArray& root);

    // Row height of the drop-down list, from the font (at least RZ_FLOPPY's 13).
    int ItemHeight() const { return itemHeight_; }

    // The rows: their number (count()), texts (itemText()), and the volume each stands for.
    QByteArray ItemRoot(int row) const;
    platform::DriveType ItemType(int row) const;

signals:
    // Raised after every drive selection.
    void OnChange();

protected:
    // Volumes come and go while the program runs: the rows are read anew, silently, each time
    // the list drops down.
    void showPopup() override;
    void changeEvent(QEvent* event) override;

private:
    friend class TRzDirectoryListBox;

    // Rebuilds the rows and selects Drive again (raising OnChange).
    void buildRows();
    // Fills the rows from the volumes, raising nothing.
    void fillRows();
    // Selects the row of this root without any event (a failed change going back).
    void showDrive(const QByteArray& root);

    TDriveTypes driveTypes_ = kAllDriveTypes;
    TTextCase textCase_ = tcLowerCase;
    QByteArray drive_;
    int itemHeight_ = 16;
    QPointer<TRzDirectoryListBox> dirList_;
};
