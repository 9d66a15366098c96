// F1: which help context a key press in a window or a menu finds, and where it finds none.
#include "about/about_box.h"
#include "about/help_context.h"
#include "qt_print.h"
#include "recording_help.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

const QString kHelpFile = QStringLiteral("/opt/glimra/Glim.hlp");

void pressF1(QWidget* receiver) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(receiver, &press);
}

class HelpKey : public ::testing::Test {
protected:
    void SetUp() override { about::setApplicationHelpFile(kHelpFile); }
    void TearDown() override { about::setApplicationHelpFile({}); }

    // The contexts asked for, in order.
    QList<int> contexts() const {
        QList<int> out;
        for (const auto& r : help.requests) {
            EXPECT_EQ(r.helpFile, kHelpFile);
            EXPECT_EQ(r.command, about::HELP_CONTEXT);
            out << r.data;
        }
        return out;
    }

    test::RecordingHelp help;
};

// A dialog built like the options dialog: context 3 on the dialog, 2 on the panel holding the
// pages and on the OK button, nothing on the fields inside the panel; and a password prompt
// in front of it that carries no context at all.
struct OptionsLikeDialog {
    OptionsLikeDialog() {
        about::setHelpContext(&dialog, 3);
        about::setHelpContext(pages, 2);
        about::setHelpContext(ok, 2);
        about::installHelpKey(&dialog);
        about::installHelpKey(&password);
    }
    QDialog dialog;
    QWidget* pages = new QWidget(&dialog);
    QWidget* group = new QWidget(pages);
    QLineEdit* edit = new QLineEdit(group);
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    QLabel* note = new QLabel(QStringLiteral("Note"), &dialog);
    QDialog password{&dialog};
    QLineEdit* pass = new QLineEdit(&password);
};

TEST_F(HelpKey, ControlsFindTheirOwnContextOrTheFirstOneAboveThem) {
    OptionsLikeDialog d;
    const struct {
        const char* what;
        QWidget* receiver;
        QList<int> expected;
    } cases[] = {
        {"field two levels inside the panel inherits the panel's", d.edit, {2}},
        {"button with a context of its own", d.ok, {2}},
        {"no control has the focus: the dialog's own", &d.dialog, {3}},
        {"control without context directly on the dialog", d.note, {3}},
        {"prompt window parented to the dialog does not climb into it", d.pass, {}},
        {"prompt window itself", &d.password, {}},
    };
    for (const auto& c : cases) {
        help.requests.clear();
        pressF1(c.receiver);
        EXPECT_EQ(contexts(), c.expected) << c.what;
    }
}

TEST_F(HelpKey, WindowsWithoutTheKeyOrWithoutAnyContextOpenNothing) {
    QDialog plain; // never installed
    about::setHelpContext(&plain, 1);
    auto* edit = new QLineEdit(&plain);
    pressF1(edit);
    pressF1(&plain);

    QDialog blank; // installed, nothing carries a context
    auto* inside = new QPushButton(&blank);
    about::installHelpKey(&blank);
    pressF1(inside);
    EXPECT_TRUE(help.requests.isEmpty());

    // Only a plain F1 asks for help.
    about::setHelpContext(&blank, 1);
    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_F1, Qt::ShiftModifier);
    QApplication::sendEvent(inside, &shifted);
    EXPECT_TRUE(help.requests.isEmpty());
    pressF1(inside);
    EXPECT_EQ(contexts(), QList<int>{1});
}

TEST_F(HelpKey, TheAboutBoxOpensNoHelp) {
    TAboutBox box;
    box.showNonModal();
    pressF1(box.OKButton);
    pressF1(&box);
    pressF1(box.Comments);
    EXPECT_TRUE(help.requests.isEmpty());
}

// A window with a menu bar and a pop-up menu that share one item.
struct MenuWindow {
    MenuWindow() {
        file = window.menuBar()->addMenu(QStringLiteral("&File"));
        exit = file->addAction(QStringLiteral("E&xit"));
        file->addAction(shared);
        view = window.menuBar()->addMenu(QStringLiteral("&View"));
        about::setHelpContext(view, 5);
        zoom = view->addMenu(QStringLiteral("&Zoom"));
        quarter = zoom->addAction(QStringLiteral("Zoom (25%)"));
        own = view->addAction(QStringLiteral("Own"));
        about::setHelpContext(own, 4);
        viewShared = view->addAction(QStringLiteral("In view and pop-up"));
        barEntry = window.menuBar()->addAction(QStringLiteral("&Options"));
        about::setHelpContext(barEntry, 2);

        explore = popup->addAction(QStringLiteral("&Explore From Here"));
        about::setHelpContext(explore, 1);
        tools = popup->addMenu(QStringLiteral("Tools"));
        about::setHelpContext(tools, 7);
        tools->addAction(shared);
        popup->addAction(viewShared);
        about::installHelpKey(&window, popup);
    }
    QMainWindow window;
    QMenu* popup = new QMenu(&window);
    QAction* shared = new QAction(QStringLiteral("Shared"), &window);
    QMenu* file;
    QMenu* view;
    QMenu* zoom;
    QMenu* tools;
    QAction* exit;
    QAction* quarter;
    QAction* own;
    QAction* viewShared;
    QAction* barEntry;
    QAction* explore;
};

void pressF1On(QMenu* menu, QAction* item) {
    menu->popup(QPoint(10, 10));
    menu->setActiveAction(item);
    pressF1(menu);
}

TEST_F(HelpKey, MenuItemsWalkUpThroughTheirMenusAndTheMainMenuFallsBackToThePopUp) {
    MenuWindow w;
    const struct {
        const char* what;
        QMenu* menu;
        QAction* item;
        int expected;
    } cases[] = {
        {"main-menu item with its own context", w.view, w.own, 4},
        {"item two menus deep inherits the menu's", w.zoom, w.quarter, 5},
        {"main-menu item without context: the same item in the pop-up menu", w.file, w.shared, 7},
        {"main-menu item found nowhere: 0 is passed on", w.file, w.exit, 0},
        {"pop-up item with its own context", w.popup, w.explore, 1},
        {"pop-up item: the search stays in the pop-up menu", w.popup, w.viewShared, 0},
        {"pop-up submenu item inherits the submenu's", w.tools, w.shared, 7},
    };
    for (const auto& c : cases) {
        help.requests.clear();
        pressF1On(c.menu, c.item);
        EXPECT_EQ(contexts(), QList<int>{c.expected}) << c.what;
        // The menu closes, so the help window gets the keyboard.
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << c.what;
        c.menu->hide();
    }
}

TEST_F(HelpKey, AMenuBarEntryThatActsWhenClickedHasItsOwnContext) {
    MenuWindow w;
    w.window.show(); // a hidden menu bar highlights nothing
    w.window.menuBar()->setActiveAction(w.barEntry);
    ASSERT_EQ(w.window.menuBar()->activeAction(), w.barEntry);
    pressF1(w.window.menuBar());
    EXPECT_EQ(contexts(), QList<int>{2});
}

TEST_F(HelpKey, MenusOfWindowsWithoutTheKeyAndMenusWithNothingHighlightedOpenNothing) {
    QMainWindow window;
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("&File"));
    QAction* item = menu->addAction(QStringLiteral("Item"));
    about::setHelpContext(item, 1);
    pressF1On(menu, item); // the window never installed F1
    menu->hide();

    QLineEdit edit; // a menu of the toolkit's own, such as an edit field's
    about::installHelpKey(&edit);
    QMenu standard(&edit);
    QAction* paste = standard.addAction(QStringLiteral("Paste"));
    pressF1On(&standard, paste);
    standard.hide();
    EXPECT_TRUE(help.requests.isEmpty());

    MenuWindow w;
    w.view->popup(QPoint(10, 10));
    pressF1(w.view);
    EXPECT_TRUE(help.requests.isEmpty());
    w.view->hide();
}

} // namespace
