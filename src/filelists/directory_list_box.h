// TRzDirectoryListBox: the directory list, the current directory with its ancestors up to its
// volume's root and its subdirectories; it moves the process's working directory and drives
// the file list.
#pragma once

#include "filelists/list_rows.h"

#include <QByteArray>
#include <QListView>
#include <QPointer>
#include <QString>
#include <vector>

class TRzDriveComboBox;
class TRzFileListBox;

namespace filelists {
class DirectoryListModel;
}

class TRzDirectoryListBox : public QListView {
    Q_OBJECT
public:
    explicit TRzDirectoryListBox(QWidget* parent = nullptr);
    ~TRzDirectoryListBox() override;

    // The file list that follows this list's directory; setting it also records this list in
    // that file list.
    TRzFileListBox* FileList() const;
    void setFileList(TRzFileListBox* fileList);

    // The drive selector that drives this list (set by TRzDriveComboBox::setDirList).
    TRzDriveComboBox* DriveCombo() const;

    // Draw each row under the long name of its path (default true). Linux keeps no short
    // names, so the rows read the same either way; a change rebuilds the rows silently.
    bool ShowLongNames() const { return showLongNames_; }
    void setShowLongNames(bool show);

    // The directory shown, absolute, as the system reports the working directory.
    // Directory() is for display; NativeDirectory() holds the file system's bytes.
    QString Directory() const;
    const QByteArray& NativeDirectory() const { return directory_; }

    // Sets the directory: an empty path or the shown one
    // (by the volume's comparison rule) does nothing; "[name]" stands for name; a path naming
    // a file, or ending in a component with "*" or "?", stands for its directory; a relative
    // path is taken against the working directory; a path on another volume first selects
    // that volume in the drive selector. The working directory moves there, the rows are
    // rebuilt, the file list follows, then OnChange is raised. An existing directory is always
    // taken as it is named, brackets and wildcard characters included.
    // A failure raises its input/output error and undoes the whole change: the working
    // directory, this list, the drive selector and the file list are as they were.
    void setDirectory(const QString& path);
    void setNativeDirectory(const QByteArray& path);

    // Row height in pixels (17 in the browser).
    int ItemHeight() const { return itemHeight_; }
    void setItemHeight(int height);

    // Whether names on the volume of Directory are compared with regard to case.
    bool CaseSensitive() const { return caseSensitive_; }

    // Rebuilds the rows from disk, then reports the change: the file list follows, then
    // OnChange. Update() is the same.
    void Reload();
    void Update() { Reload(); }

    // The rows: the root and each ancestor of Directory (open), Directory (current), then its
    // subdirectories (closed), sorted without regard to case.
    enum class RowKind { Open, Current, Closed };
    int Count() const;
    QString Item(int row) const;
    RowKind ItemKind(int row) const;
    // The path a row stands for, as a double-click on it would set it.
    QByteArray ItemPath(int row) const;
    // Left edge of the row's glyph: 4 x row + 2 for open and current rows; 4 x (number of
    // separators in Directory, the root counting one) + 6 for the closed rows.
    int ItemIndent(int row) const;

    // The highlighted row; the user moves it with a click or the arrow keys.
    int ItemIndex() const;
    void setItemIndex(int row);
    // Sets Directory to the highlighted row's path, as a double-click or Enter does.
    void OpenItem();

    // How wide the rows drawn so far are; the list scrolls sideways that far.
    filelists::RowExtent& rowExtent() { return rowExtent_; }

signals:
    // Raised after every change of directory and every Reload.
    void OnChange();

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    friend class TRzDriveComboBox;
    friend class TRzFileListBox;

    struct Row {
        QString text;
        QByteArray path;
        RowKind kind;
    };
    // What a failed change puts back.
    struct Snapshot {
        QByteArray directory;
        std::vector<Row> rows;
        int highlighted;
        bool caseSensitive;
    };

    // Switches to the volume with this root, to the directory last entered on it; inside a
    // setDirectory only the working directory and Directory move.
    void switchDrive(const QByteArray& root);
    void changeTo(const QByteArray& target);
    void buildRows();
    // The file list moves to Directory (the change reported, before OnChange).
    void moveFileList();
    Snapshot snapshot() const;
    void restore(const Snapshot& saved);
    // Runs enter (which moves to the new directory), rebuilds the rows and moves the file
    // list; any failure puts everything back as it was. Reports the change on success.
    template <typename F> void changeWith(F&& enter);
    void setRows(std::vector<Row> rows, int highlighted);
    void applyItemHeight();

    filelists::DirectoryListModel* model_;
    std::vector<Row> rows_;
    QByteArray directory_;
    bool caseSensitive_ = true;
    bool showLongNames_ = true;
    int itemHeight_ = 17;
    bool settingDirectory_ = false;
    QPointer<TRzFileListBox> fileList_;
    QPointer<TRzDriveComboBox> driveCombo_;
    filelists::RowExtent rowExtent_{this};
};
