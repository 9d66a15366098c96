// TForm1: the browser window, the program's main window, and the settings members every
// other window consults.
#pragma once

#include "browser/file_masks.h"

#include <QMainWindow>
#include <QStringList>

class QFrame;
class QLabel;
class TRzDirectoryListBox;
class TRzDriveComboBox;
class TRzFileListBox;
class TSplitter;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // arguments: the command line after the program name; only the first is used.
    explicit TForm1(const QStringList& arguments, QWidget* parent = nullptr);

    // Settings and state members, in declaration order.
    QString CurrentDir;
    QString CurrentFile;
    QString ExecDir;
    bool UseExplorer = false;
    bool FullSizeShown = false;
    bool UseShellFileOps = false;
    QString StartupDir;
    QString Menu1Descrip;
    QString Menu1Command;
    QString Menu2Descrip;
    QString Menu2Command;
    QString LaunchDir;
    int DisplayFilter = 0;
    bool PasswordProtect = false;
    bool AllowDel = false;
    bool PromptDel = false;
    bool SendRecycle = false;
    bool AllowCopy = false;
    bool PromptCopy = false;
    bool AllowMove = false;
    bool PromptMove = false;
    QString AccessPassword;

    // Controls.
    QFrame* Panel2;      // left pane
    QFrame* Panel3;      // holder of the drive selector, top of the left pane
    TRzDriveComboBox* DriveComboBox1;       // drives DirectoryListBox1
    TRzDirectoryListBox* DirectoryListBox1; // drives FileListBox1
    TSplitter* Splitter1;
    QFrame* Panel5;      // middle pane
    TRzFileListBox* FileListBox1;           // files of CurrentDir matching the mask
    QLabel* Panel6;      // file-size line
    QFrame* Panel4;      // right pane
    QLabel* Panel1;      // status line

    // The help file, ExecDir + "/Glim.hlp", set once by creation.
    QString HelpFile;

    // Handlers.
    void FormCreate(QObject* sender);
    void ApplicationActivate(QObject* sender);
    void DirectoryListBox1Change(QObject* sender);
    // The file list's change (a new selection, or the rows re-read): the preview update. It
    // does nothing yet; the preview fills it in.
    void FileListBox1Change(QObject* sender);
    void Exit1Click(QObject* sender);
    void BitBtn2Click(QObject* sender);

    static constexpr int kDesignedWidth = 516;
    static constexpr int kDesignedHeight = 311;

signals:
    // The window was closed: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

    // Applies the file-type filter for DisplayFilter: the file list's mask by
    // the table of browser/file_masks.h (other values keep the mask it has). Creation and the
    // options dialog's OK differ only in the multimedia mask's text.
    void applyFileTypeFilter(browser::FilterUse use);

private:
    void buildPanes();
    void readOptions();
    void readLocations();
    void enterStartDirectory();

    QStringList arguments_;
};

// The folder of the help file and placeholder pictures when GLIM.INI names none: the installed
// data folder, or the source tree's data/ when the program runs from its build folder.
QString defaultExecDir();
