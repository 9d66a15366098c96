// TRzFileListBox: the file list, the files of one directory that match a mask, sorted by name;
// its selection is the browser's current file.
#pragma once

#include "filelists/directory_entries.h"
#include "filelists/list_rows.h"
#include "filelists/list_types.h"

#include <QByteArray>
#include <QListView>
#include <QPointer>
#include <QString>

class TRzDirectoryListBox;

namespace filelists {
class FileListModel;
}

class TRzFileListBox : public QListView {
    Q_OBJECT
public:
    explicit TRzFileListBox(QWidget* parent = nullptr);
    ~TRzFileListBox() override;

    // Wildcard patterns separated by ";" (default "*.*"). A different text re-reads the rows;
    // the same text does nothing.
    QString Mask() const { return mask_; }
    void setMask(const QString& mask);

    // Which entries are listed (default [ftNormal]); a change re-reads the rows.
    TFileType FileType() const { return fileType_; }
    void setFileType(TFileType fileType);

    // Draw the desktop's small icon of each file before its name (default true).
    bool ShowGlyphs() const { return showGlyphs_; }
    void setShowGlyphs(bool show);

    // The directory listed: the process's working directory at creation, then wherever the
    // directory list moves it. Setting it moves the list: only a path that differs (by the
    // volume's comparison rule) moves the working directory there and re-reads the rows; a
    // failure raises its input/output error and keeps Directory and rows. Directory() is for
    // display; NativeDirectory() holds the file system's bytes.
    QString Directory() const;
    const QByteArray& NativeDirectory() const { return directory_; }
    void setDirectory(const QString& path);
    void setNativeDirectory(const QByteArray& path);

    // The selected row, -1 for none. Setting it selects that row and raises nothing.
    int ItemIndex() const { return itemIndex_; }
    void setItemIndex(int index);

    // Directory, "/" and the selected row's text; empty when no row is selected.
    // SelectedNativePath() is the same path in the file system's bytes, exact even for names
    // that are not valid UTF-8 (which SelectedPath() shows with U+FFFD).
    QString SelectedPath() const;
    QByteArray SelectedNativePath() const;
    // The same native path for any row; empty outside the rows.
    QByteArray NativePathOf(int row) const;

    // Row height in pixels, computed from the font (18 with the browser's).
    int ItemHeight() const { return itemHeight_; }
    void setItemHeight(int height);

    // The rows: their number and texts ("[name]" for a directory).
    int Count() const;
    QString Item(int row) const;
    QByteArray NativeItem(int row) const;
    // The row whose text is exactly these bytes, -1 when none; of several (a name two patterns
    // match), the one nearest to row `near`.
    int NativeIndexOf(const QByteArray& text, int near = 0) const;

    // The directory list this list follows (set by TRzDirectoryListBox::setFileList).
    TRzDirectoryListBox* DirList() const;

    // Re-reads the rows: the working directory moves to Directory, the rows are read, no row
    // is selected and OnChange is raised. Raises the input/output error of a directory that
    // cannot be entered or read; the old rows then stay. Update() is the same.
    void Reload();
    void Update() { Reload(); }

    // Whether the control has its window, that is has been shown once: until then nothing is
    // read and nothing is raised, and the first showing reads the rows.
    bool HandleAllocated() const { return windowCreated_; }

    // How wide the rows drawn so far are; the list scrolls sideways that far.
    filelists::RowExtent& rowExtent() { return rowExtent_; }

signals:
    // The user changed the selection, or the rows were re-read.
    void OnChange();
    // A double-click on the list.
    void OnDblClick();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    friend class TRzDirectoryListBox;

    // Reads the rows anew and raises OnChange; nothing without a window.
    void readFileNames();
    // The move to a directory, for the directory list: a failure keeps Directory and rows.
    void moveTo(const QByteArray& path);
    void applyItemHeight();

    filelists::FileListModel* model_;
    QString mask_ = QStringLiteral("*.*");
    TFileType fileType_ = ftNormal;
    bool showGlyphs_ = true;
    QByteArray directory_;
    int itemIndex_ = -1;
    int itemHeight_ = 18;
    bool windowCreated_ = false;
    bool settingIndex_ = false; // a selection made by the program raises nothing
    QPointer<TRzDirectoryListBox> dirList_;
    filelists::RowExtent rowExtent_{this};
};
