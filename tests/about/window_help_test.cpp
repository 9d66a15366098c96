// F1 and Help Topics in the real window set: the context every window, control and menu item
// leads to.
#include "about/about_box.h"
#include "about/help_context.h"
#include "about/help_viewer.h"
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "filelists/directory_list_box.h"
#include "filelists/drive_combo_box.h"
#include "filelists/file_list_box.h"
#include "qt_print.h"
#include "recording_help.h"
#include "viewer/full_size_window.h"
#include "viewer/nav_bar.h"
#include "window_fixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>

namespace {

void pressF1(QWidget* receiver) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(receiver, &press);
}

void pressF1On(QMenu* menu, QAction* item) {
    menu->popup(QPoint(10, 10));
    menu->setActiveAction(item);
    pressF1(menu);
    menu->hide();
}

class WindowHelp : public test::WindowFixture {
protected:
    // The contexts F1 asked for since the last call, all of them for the program's help file.
    QList<int> takeContexts() {
        QList<int> out;
        for (const auto& r : help.requests) {
            EXPECT_EQ(r.helpFile, Form1->HelpFile);
            EXPECT_EQ(r.command, about::HELP_CONTEXT);
            out << r.data;
        }
        help.requests.clear();
        return out;
    }

    test::RecordingHelp help;
};

TEST_F(WindowHelp, TheHelpFileIsTheOneInTheProgramFolderFromTheStart) {
    start();
    EXPECT_TRUE(Form1->HelpFile.endsWith(QStringLiteral("/Glim.hlp")));
    EXPECT_EQ(about::applicationHelpFile(), Form1->HelpFile);
}

TEST_F(WindowHelp, EveryControlOfTheBrowserWindowLeadsToItsContext) {
    picture("a.bmp", 40, 30);
    start();
    const struct {
        const char* what;
        QWidget* control;
        int expected;
    } cases[] = {
        {"the window itself", Form1, 1},
        {"status line", Form1->Panel1, 1},
        {"drive selector", Form1->DriveComboBox1, 1},
        {"directory list", Form1->DirectoryListBox1, 1},
        {"file list", Form1->FileListBox1, 1},
        {"Display Full Size Window", Form1->BitBtn1, 1},
        {"Exit Glimra", Form1->BitBtn2, 1},
        {"Set Options", Form1->BitBtn3, 2},
        // Controls without a context of their own take the window's.
        {"Toggle NavBar", Form1->SpeedButton1, 1},
        {"Save Current Image as JPEG", Form1->SpeedButton2, 1},
        {"preview", Form1->Gvbox1, 1},
        {"file-size line", Form1->Panel6, 1},
    };
    for (const auto& c : cases) {
        pressF1(c.control);
        EXPECT_EQ(takeContexts(), QList<int>{c.expected}) << c.what;
    }
}

TEST_F(WindowHelp, EveryMenuItemOfTheBrowserWindowLeadsToItsContext) {
    // Disabled items cannot be highlighted: give both Open with items a program and a file.
    picture("a.bmp", 40, 30);
    start("[Options]\nMenu1Descrip=Viewer\nMenu1Command=viewer\n"
          "Menu2Descrip=Editor\nMenu2Command=editor\n");
    select(0);
    const struct {
        const char* what;
        QMenu* menu;
        QAction* item;
        int expected;
    } cases[] = {
        {"Explore From Here", Form1->PopupMenu1, Form1->ExploreFromHere1, 1},
        {"first Open with", Form1->PopupMenu1, Form1->Openwith1, 1},
        {"second Open with", Form1->PopupMenu1, Form1->Openwith2, 1},
        {"Display Full Size", Form1->PopupMenu1, Form1->DisplayFullSize1, 1},
        {"Use Current Dir as Startup", Form1->PopupMenu1, Form1->UseCurrentDirasStartup1, 1},
        {"pop-up Options", Form1->PopupMenu1, Form1->Options2, 1},
        {"pop-up About Glimra", Form1->PopupMenu1, Form1->About1, 1},
        // Items without one pass 0 on, which shows the contents.
        {"Save as JPEG", Form1->PopupMenu1, Form1->SaveasJPEG1, 0},
        {"Save Window Locations", Form1->PopupMenu1, Form1->SaveWindowLocations1, 0},
        {"Delete Current File", Form1->PopupMenu1, Form1->DeleteCurrentFile1, 0},
        {"Copy Current File", Form1->PopupMenu1, Form1->CopyCurrentFile1, 0},
        {"Move Current File", Form1->PopupMenu1, Form1->MoveCurrentFile1, 0},
        {"Exit", Form1->File1, Form1->Exit1, 0},
        {"Help Topics", Form1->Help1, Form1->Contents1, 0},
        {"main-menu About Glimra", Form1->Help1, Form1->AboutGlimra1, 0},
    };
    for (const auto& c : cases) {
        pressF1On(c.menu, c.item);
        EXPECT_EQ(takeContexts(), QList<int>{c.expected}) << c.what;
    }

    // The menu-bar entry "&Options" acts when clicked and carries the options context.
    Form1->menuBar()->setActiveAction(Form1->Options1);
    ASSERT_EQ(Form1->menuBar()->activeAction(), Form1->Options1);
    pressF1(Form1->menuBar());
    EXPECT_EQ(takeContexts(), QList<int>{2});
}

TEST_F(WindowHelp, AMainMenuItemWithoutContextFallsBackToThePopUpMenu) {
    start();
    // An item placed in both menus: without a context of its own it is found in the pop-up
    // menu's submenu, whose context it takes.
    QAction shared(QStringLiteral("Shared"));
    Form1->File1->addAction(&shared);
    QMenu* tools = Form1->PopupMenu1->addMenu(QStringLiteral("Tools"));
    about::setHelpContext(tools, 1);
    tools->addAction(&shared);
    pressF1On(Form1->File1, &shared);
    EXPECT_EQ(takeContexts(), QList<int>{1});

    // Given a context of its own, that wins.
    about::setHelpContext(&shared, 2);
    pressF1On(Form1->File1, &shared);
    EXPECT_EQ(takeContexts(), QList<int>{2});
}

TEST_F(WindowHelp, FullSizeWindowAndNavigationBarLeadToTheBrowsingTopicEverywhere) {
    picture("a.bmp", 300, 200);
    start();
    Form1->FileListBox1->setFocus();
    select(0);
    Form1->BitBtn1Click(nullptr);
    ASSERT_TRUE(Form2->isVisible());

    QList<QWidget*> controls{
        Form2,     Form2->Panel1, Form2->Gvbox1, Form2->Scroller, Form2->Scroller->viewport(),
        NavBarForm};
    for (QToolButton* b : NavBarForm->findChildren<QToolButton*>())
        controls << b;
    for (QWidget* control : controls) {
        pressF1(control);
        EXPECT_EQ(takeContexts(), QList<int>{1}) << control->objectName().toStdString();
    }

    // The full-size window's pop-up menu takes F1 too; its items carry no context, so the
    // contents are shown.
    pressF1On(Form2->PopupMenu1, Form2->ZoomItems[5]);
    EXPECT_EQ(takeContexts(), QList<int>{0});
}

TEST_F(WindowHelp, TheAboutBoxTakesNoHelpWhileTheOtherWindowsStillDo) {
    start();
    Form1->AboutGlimra1->trigger();
    ASSERT_TRUE(AboutBox->isVisible());
    for (QWidget* w : {static_cast<QWidget*>(AboutBox), static_cast<QWidget*>(AboutBox->OKButton),
                       static_cast<QWidget*>(AboutBox->Comments)})
        pressF1(w);
    EXPECT_TRUE(takeContexts().isEmpty());

    pressF1(Form1->FileListBox1);
    EXPECT_EQ(takeContexts(), QList<int>{1});
}

TEST_F(WindowHelp, HelpTopicsShowsTheContents) {
    start();
    Form1->Contents1->trigger();
    ASSERT_EQ(help.requests.size(), 1);
    EXPECT_EQ(help.requests[0], (test::HelpRequest{Form1->HelpFile, about::HELP_FINDER, 0}));
}

} // namespace
