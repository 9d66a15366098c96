#include "browser/browser_window.h"

#include "about/help_context.h"
#include "about/help_viewer.h"
#include "browser/splitter.h"
#include "components/image_box.h"
#include "components/picture_loader.h"
#include "filelists/directory_list_box.h"
#include "filelists/drive_combo_box.h"
#include "filelists/file_list_box.h"
#include "platform/activation.h"
#include "platform/error_box.h"
#include "platform/screen.h"
#include "platform/version.h"
#include "platform/window_placement.h"
#include "preview/preview_text.h"
#include "preview/status_panel.h"
#include "settings/settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <sys/stat.h>

namespace {

QLabel* makeTextPanel(const QString& text, int height, QWidget* parent) {
    // The text stays whole for whoever reads it; a narrow panel draws it shortened in the
    // middle of the path. File names are shown as they are, never taken for markup.
    auto* panel = new preview::StatusPanel(text, parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel->setFixedHeight(height);
    panel->setIndent(2);
    panel->setMinimumWidth(1);
    return panel;
}

QFrame* makePanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

} // namespace

TForm1::TForm1(const QList<QByteArray>& arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(arguments) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Glimra v" GLIMRA_VERSION));
    buildPanes();
    // The keyboard starts in the file list, so the arrow keys step through the files at once.
    FileListBox1->setFocus();
    // The designed placement: 516 x 311, centred; creation may move it.
    platform::resizeOuter(this, {kDesignedWidth, kDesignedHeight});
    platform::centreOnScreen(this);
    // An error during creation ends creation there; the window is still shown.
    platform::guarded([this] { FormCreate(nullptr); });
    // Every picture shown asks for its neighbours in the list to be decoded ahead.
    components::PictureLoader::shared().setNeighbourSource([this] { return picturesAhead(); });
}

TForm1::~TForm1() {
    components::PictureLoader::shared().setNeighbourSource({});
}

void TForm1::buildPanes() {
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* panes = new QHBoxLayout;
    panes->setContentsMargins(0, 0, 0, 0);
    panes->setSpacing(0);

    Panel2 = makePanel(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedWidth(kDesignedSplitterLeft);
    auto* left = new QVBoxLayout(Panel2);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    Panel3 = makePanel(Panel2);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(24);
    auto* top = new QHBoxLayout(Panel3);
    top->setContentsMargins(2, 1, 2, 1); // the selector is 145 x 22 in the designed 149 width
    DriveComboBox1 = new TRzDriveComboBox(Panel3);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setFixedHeight(22);
    top->addWidget(DriveComboBox1);
    left->addWidget(Panel3);
    DirectoryListBox1 = new TRzDirectoryListBox(Panel2);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setItemHeight(17);
    left->addWidget(DirectoryListBox1, 1);

    Splitter1 = new TSplitter(Panel2, central);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));

    Panel5 = makePanel(central);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    auto* middle = new QVBoxLayout(Panel5);
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    FileListBox1 = new TRzFileListBox(Panel5);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setShowGlyphs(false);
    FileListBox1->setMask(browser::kDesignedMask);
    middle->addWidget(FileListBox1, 1);
    Panel6 = makeTextPanel(preview::kFileSizeEmpty, 18, Panel5);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    middle->addWidget(Panel6);

    Panel4 = makePanel(central);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedWidth(204);

    panes->addWidget(Panel2);
    panes->addWidget(Splitter1);
    panes->addWidget(Panel5, 1);
    panes->addWidget(Panel4);
    outer->addLayout(panes, 1);

    Panel1 = makeTextPanel(preview::kNoFileLoaded, 22, central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    outer->addWidget(Panel1);

    setCentralWidget(central);

    // Directory changes flow one way: drive selector, directory list, file list.
    DriveComboBox1->setDirList(DirectoryListBox1);
    DirectoryListBox1->setFileList(FileListBox1);
    connect(DirectoryListBox1, &TRzDirectoryListBox::OnChange, this,
            [this] { platform::guarded([this] { DirectoryListBox1Change(DirectoryListBox1); }); });
    connect(FileListBox1, &TRzFileListBox::OnChange, this,
            [this] { platform::guarded([this] { FileListBox1Change(FileListBox1); }); });
    connect(FileListBox1, &TRzFileListBox::OnDblClick, this,
            [this] { platform::guarded([this] { BitBtn1Click(FileListBox1); }); });
    // Enter on a file does what a double-click does.
    for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), FileListBox1);
        enter->setContext(Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this,
                [this] { platform::guarded([this] { BitBtn1Click(FileListBox1); }); });
    }

    buildRightPane();
    buildMenus();
    about::setHelpContext(this, 1);
    for (QWidget* w :
         {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(DriveComboBox1),
          static_cast<QWidget*>(DirectoryListBox1), static_cast<QWidget*>(FileListBox1)})
        about::setHelpContext(w, 1);
    about::installHelpKey(this, PopupMenu1);
}

void TForm1::FormCreate(QObject*) {
    // 1. Every return from another program refreshes the lists and the preview; focus moving
    // between Glimra's own windows (the video's included) is no return.
    auto* activation = new platform::ActivationWatch(this);
    connect(activation, &platform::ActivationWatch::returned, this,
            [this] { platform::guarded([this] { ApplicationActivate(nullptr); }); });
    // 2. The folder the program was started in.
    LaunchDir = QDir::currentPath();
    // 3.-6. The settings file is opened anew by every read.
    readOptions();
    readLocations();
    // 7. The start folder.
    enterStartDirectory();
    // 8.-10. The file-type filter.
    applyFileTypeFilter(browser::FilterUse::Creation);
}

void TForm1::readOptions() {
    // A Display value that is no integer ends the read before ExecDir: no help file is set.
    settings::readBrowserOptions(settings::Settings(), Options);
    HelpFile = settings::helpFileIn(Options.ExecDir);
    // F1 in every window opens this file from now on.
    about::setApplicationHelpFile(HelpFile);
}

void TForm1::readLocations() {
    const settings::Settings ini;
    namespace k = settings::keys;
    const QSize screen = platform::screenSize();
    // The divider never pushes the window past the screen's width: the rest of the window, at
    // its least width, keeps its room.
    const int rest = minimumSizeHint().width() - Splitter1->Left();
    Splitter1->setLeft(
        TSplitter::leftWithin(ini.readInteger(k::Splitter1Left), screen.width(), rest));
    // Left and top are set before the size is read, so a bad width or height keeps them; each
    // step leaves the window on the screen, also when a bad value ends the reading there.
    const QString left = ini.readText(k::Form1Left);
    const bool centred = left == settings::kCentred;
    QPoint topLeft = frameGeometry().topLeft();
    const QSize designed = frameGeometry().size();
    if (!centred) {
        topLeft.setX(settings::toInteger(left));
        platform::moveOuter(this, platform::keepOnScreen(topLeft, designed));
        topLeft.setY(ini.readInteger(k::Form1Top));
        platform::moveOuter(this, platform::keepOnScreen(topLeft, designed));
    }
    const int width = ini.readInteger(k::Form1Width);
    const QSize outer = QSize(width, ini.readInteger(k::Form1Height)).boundedTo(screen);
    platform::resizeOuter(this, outer);
    if (centred)
        platform::centreOnScreen(this);
    else
        platform::moveOuter(this, platform::keepOnScreen(topLeft, outer));
}

void TForm1::enterStartDirectory() {
    // An empty choice leaves the directory list where it started, in LaunchDir.
    if (arguments_.isEmpty()) {
        DirectoryListBox1->setDirectory(Options.StartupDir);
        return;
    }
    // The argument is taken as its bytes, so a name that is no valid UTF-8 opens too. The
    // desktop offers Glimra for the pictures it reads: a picture opens its folder, and is
    // selected there once the rows are read.
    const platform::NativePath given(arguments_.front());
    struct stat st {};
    if (::stat(given.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        const platform::NativePath absolute = given.absolute();
        startFile_ = absolute.fileName();
        DirectoryListBox1->setNativeDirectory(absolute.directory().bytes());
        return;
    }
    DirectoryListBox1->setNativeDirectory(given.bytes());
}

void TForm1::applyOptions(const settings::BrowserOptions& options) {
    Options = options;
    applyFileTypeFilter(browser::FilterUse::OptionsOk);
}

void TForm1::applyFileTypeFilter(browser::FilterUse use) {
    ExploreFromHere1->setText(Options.UseExplorer ? QStringLiteral("&Explore From Here")
                                                  : QStringLiteral("&Open File Manager"));
    // The file list re-reads at once when it is given a new mask text.
    if (const std::optional<QString> mask = browser::maskForFilter(Options.DisplayFilter, use))
        FileListBox1->setMask(*mask);
    for (QAction* item : {Openwith1, Openwith2}) {
        item->setText(QStringLiteral("Open with..."));
        item->setEnabled(false);
    }
}

void TForm1::DirectoryListBox1Change(QObject*) {
    CurrentDir = platform::NativePath(DirectoryListBox1->NativeDirectory());
}

void TForm1::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}

void TForm1::Exit1Click(QObject*) {
    close();
}

void TForm1::BitBtn2Click(QObject*) {
    close();
}

void TForm1::bringToFront() {
    raise();
    activateWindow();
}

void TForm1::popupMenu(QPoint at) {
    PopupMenu1->popup(at);
}

void TForm1::fullSizeWindowClosed() {
    Gvbox1->Refresh();
    FullSizeShown = false;
    // Full-size pictures of the neighbours are no longer wanted.
    components::PictureLoader::shared().neighboursChanged();
}

void TForm1::navigationBarClosed() {
    SpeedButton1->setChecked(false);
}

interfaces::BrowserPlacement TForm1::placement() const {
    return {Splitter1->Left(), frameGeometry()};
}

void TForm1::restoreDesignedPlacement() {
    Splitter1->setLeft(kDesignedSplitterLeft);
    platform::resizeOuter(this, {kDesignedWidth, kDesignedHeight});
    platform::centreOnScreen(this);
}
