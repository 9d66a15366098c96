// TForm1: the browser window, the program's main window, and the options every
// other window consults.
#pragma once

#include "browser/file_masks.h"
#include "interfaces/browser.h"
#include "options/file_operations.h"
#include "platform/native_path.h"
#include "settings/browser_options.h"

#include <QMainWindow>
#include <QStringList>
#include <vector>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QToolButton;
class TAboutBox;
class TGvbox;
class TMediaPlayer;
class TRzDirectoryListBox;
class TRzDriveComboBox;
class TRzFileListBox;
class TSplitter;

namespace components {
struct DecodeAhead;
}

namespace interfaces {
class FullSizeView;
class NavigationBar;
class OptionsWindow;
} // namespace interfaces

// The windows the browser drives, all created after it; none in tests of the browser alone.
struct BrowserLinks {
    interfaces::FullSizeView* fullSize = nullptr;
    interfaces::NavigationBar* navBar = nullptr;
    interfaces::OptionsWindow* options = nullptr;
    TAboutBox* aboutBox = nullptr;
};

class TForm1 : public QMainWindow, public interfaces::Browser {
    Q_OBJECT
public:
    // arguments: the command line after the program name, as its bytes; only the first is used.
    explicit TForm1(const QList<QByteArray>& arguments, QWidget* parent = nullptr);
    ~TForm1() override;

    void setLinks(const BrowserLinks& links) { links_ = links; }

    // The options, read from GLIM.INI by creation.
    settings::BrowserOptions Options;
    // State members. The folder shown and the file last previewed are their exact bytes: every
    // command acts on these, and only their display() is shown, since a name that is not valid
    // UTF-8 reads the same as its lossy twin.
    platform::NativePath CurrentDir;
    platform::NativePath CurrentFile;
    bool FullSizeShown = false;
    QString LaunchDir;

    // Controls.
    QFrame* Panel2;                         // left pane
    QFrame* Panel3;                         // holder of the drive selector, top of the left pane
    TRzDriveComboBox* DriveComboBox1;       // drives DirectoryListBox1
    TRzDirectoryListBox* DirectoryListBox1; // drives FileListBox1
    TSplitter* Splitter1;
    QFrame* Panel5;               // middle pane
    TRzFileListBox* FileListBox1; // files of CurrentDir matching the mask
    QLabel* Panel6;               // file-size line
    QFrame* Panel4;               // right pane
    QLabel* Panel1;               // status line
    TGvbox* Gvbox1;               // the preview, 200 x 200
    QToolButton* SpeedButton1;    // Toggle NavBar, starts pressed
    QToolButton* BitBtn1;         // Display Full Size Window
    QToolButton* SpeedButton2;    // Save Current Image as JPEG
    QToolButton* BitBtn3;         // Set Options
    QToolButton* BitBtn2;         // Exit Glimra
    TMediaPlayer* MediaPlayer1;   // never visible

    // The context menu, also the navigation bar's.
    QMenu* PopupMenu1;
    QAction* ExploreFromHere1;
    QAction* Openwith1;
    QAction* Openwith2;
    QAction* DisplayFullSize1;
    QAction* SaveasJPEG1;
    QAction* UseCurrentDirasStartup1;
    QAction* SaveWindowLocations1;
    QAction* DeleteCurrentFile1;
    QAction* CopyCurrentFile1;
    QAction* MoveCurrentFile1;
    QAction* Options2;
    QAction* About1;
    // The menu bar.
    QMenu* File1;
    QAction* Exit1;
    QAction* Options1; // acts when clicked; no items
    QMenu* Help1;
    QAction* Contents1;
    QAction* AboutGlimra1;

    // The help file, ExecDir + "/Glim.hlp", set once by creation.
    QString HelpFile;

    // Handlers.
    void FormCreate(QObject* sender);
    void ApplicationActivate(QObject* sender);
    void DirectoryListBox1Change(QObject* sender);
    // The preview update, run by every change of the file list's selection.
    void FileListBox1Change(QObject* sender);
    void MediaPlayer1Notify(QObject* sender);
    void Exit1Click(QObject* sender);
    void BitBtn2Click(QObject* sender);
    void BitBtn1Click(QObject* sender);
    void SaveasJPEG1Click(QObject* sender);
    void SpeedButton1Click(QObject* sender);
    void Gvbox1Click(QObject* sender);
    void UseCurrentDirasStartup1Click(QObject* sender);
    void SaveWindowLocations1Click(QObject* sender);
    void Options1Click(QObject* sender);
    void Options2Click(QObject* sender);
    void BitBtn3Click(QObject* sender);
    void About1Click(QObject* sender);
    void AboutGlimra1Click(QObject* sender);
    void Contents1Click(QObject* sender);
    void ExploreFromHere1Click(QObject* sender);
    void Openwith1Click(QObject* sender);
    void Openwith2Click(QObject* sender);
    void DeleteCurrentFile1Click(QObject* sender);
    void CopyCurrentFile1Click(QObject* sender);
    void MoveCurrentFile1Click(QObject* sender);

    // Applies the file-type filter for the options: the caption of ExploreFromHere1, the file
    // list's mask by DisplayFilter (other values keep the mask it has), and both "Open with"
    // items back to "Open with..." and disabled. Creation and the options dialog's OK differ
    // only in the multimedia mask's text.
    void applyFileTypeFilter(browser::FilterUse use);

    // Gives the "Open with" items their state: usable, with "Open with " and the description,
    // when a command is set and a file is current. Run when the menu opens or F11/F12 is
    // pressed, never by the preview.
    void updateOpenWithItems();

    // What the other windows ask of the browser.
    int selectedRow() const override;
    int rowCount() const override;
    void selectRow(int row) override;
    interfaces::SelectedFile selectedFile() const override;
    void previewSelection() override { FileListBox1Change(nullptr); }
    void showPictureInPreview(const QByteArray& nativePath) override;
    void showMediaPictureInPreview(const QString& path) override;
    void showStatus(const QString& text) override;
    void showFileSize(const QString& path) override;
    void stopPlaying() override;
    void playMediaFile(const QString& path, const QString& shown) override;
    void displayFullSize() override { BitBtn1Click(nullptr); }
    void saveAsJpeg() override { SaveasJPEG1Click(nullptr); }
    void bringToFront() override;
    void closeProgram() override { close(); }
    void popupMenu(QPoint at) override;
    void fullSizeWindowClosed() override;
    void navigationBarClosed() override;
    const settings::BrowserOptions& options() const override { return Options; }
    void applyOptions(const settings::BrowserOptions& options) override;
    // The options dialog shows the folder as text.
    QString currentDir() const override { return CurrentDir.display(); }
    interfaces::BrowserPlacement placement() const override;
    void restoreDesignedPlacement() override;

    static constexpr int kDesignedWidth = settings::defaultNumber(settings::keys::Form1Width);
    static constexpr int kDesignedHeight = settings::defaultNumber(settings::keys::Form1Height);
    static constexpr int kDesignedSplitterLeft =
        settings::defaultNumber(settings::keys::Splitter1Left);

signals:
    // The window was closed: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildPanes();
    void buildRightPane();
    void buildMenus();
    template <typename F> void onTriggered(QAction* action, F handler);
    void previewMedia(const interfaces::SelectedFile& file);
    void selectStartFile();
    // Loads the full-size window with the file: a picture described by the preview's status,
    // or a media file's placeholder.
    void showInFullSize(const interfaces::SelectedFile& file);
    // The pictures to decode ahead: the selected row and its neighbours in the list at preview
    // size, and at full size too while the full-size window follows the selection.
    std::vector<components::DecodeAhead> picturesAhead();
    void runFileCommand(options::FileCommand command, const options::FileRules& rules);
    void readOptions();
    void readLocations();
    void enterStartDirectory();

    QList<QByteArray> arguments_;
    // A picture named on the command line, as its bytes: selected once its folder's rows are
    // read.
    QByteArray startFile_;
    BrowserLinks links_;
    // The row the pictures ahead were last chosen for, and the direction of travel.
    int aheadRow_ = -1;
    int aheadDirection_ = 1;
};
