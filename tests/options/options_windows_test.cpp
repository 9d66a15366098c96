// The options dialog inside the whole window set: what its OK does to the browser window, the
// window locations, and F1 in the dialog and in the password prompt.
#include "about/help_context.h"
#include "browser/browser_window.h"
#include "browser/splitter.h"
#include "filelists/file_list_box.h"
#include "options/gated_tab_widget.h"
#include "options/options_dialog.h"
#include "options/password_dialog.h"
#include "recording_help.h"
#include "viewer/full_size_window.h"
#include "viewer/nav_bar.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

class OptionsInWindows : public test::WindowFixture {
protected:
    // The lines of one section of GLIM.INI, in file order.
    static QStringList section(const QString& name) {
        QStringList out;
        bool inside = false;
        for (const QString& line : QString::fromUtf8(test::readIni()).split(u'\n')) {
            if (line.startsWith(u'['))
                inside = line == u'[' + name + u']';
            else if (inside && !line.isEmpty())
                out << line;
        }
        return out;
    }
    static void okOptions() {
        PagesDlg->open();
        PagesDlg->OKBtnClick(nullptr);
        ASSERT_FALSE(PagesDlg->isVisible());
    }
};

TEST_F(OptionsInWindows, OkReReadsTheListOnlyWhenTheMaskTextChanges) {
    sound("a.wav"); // the first row in every list but the graphic one
    for (const char* name : {"b.avi", "c.mid", "d.rmi"})
        file(name, "x");
    picture("e.bmp", 4, 4);
    const struct {
        int filter;
        int count;
        bool firstOkClears;
    } cases[] = {
        {0, 5, false},
        {1, 1, false},
        // Start-up names the multimedia types in another order than the dialog.
        {2, 4, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        windows.reset();
        start(QByteArray("[Options]\nDisplay=") + QByteArray::number(c.filter) + '\n');
        ASSERT_EQ(Form1->FileListBox1->Count(), c.count);
        select(0);
        okOptions();
        EXPECT_EQ(Form1->FileListBox1->ItemIndex(), c.firstOkClears ? -1 : 0);
        EXPECT_EQ(Form1->FileListBox1->Count(), c.count);
        select(0);
        okOptions();
        EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 0) << "the second OK changes nothing";
    }
}

TEST_F(OptionsInWindows, OkResetsTheOpenWithItemsAndTheExploreCaption) {
    picture("a.bmp", 4, 4);
    start("[Options]\nMenu1Descrip=One\nMenu1Command=one\nMenu2Descrip=Two\nMenu2Command=two\n");
    select(0);
    Form1->updateOpenWithItems();
    ASSERT_TRUE(Form1->Openwith1->isEnabled() && Form1->Openwith2->isEnabled());
    PagesDlg->open();
    PagesDlg->RadioGroup1->setItemIndex(1);
    PagesDlg->RadioGroup2->setItemIndex(2);
    PagesDlg->OKBtnClick(nullptr);
    for (QAction* item : {Form1->Openwith1, Form1->Openwith2}) {
        EXPECT_EQ(item->text(), "Open with...");
        EXPECT_FALSE(item->isEnabled());
    }
    EXPECT_EQ(Form1->ExploreFromHere1->text(), "&Open File Manager");
    EXPECT_EQ(Form1->FileListBox1->Count(), 0) << "only multimedia files are listed";
}

TEST_F(OptionsInWindows, SaveWindowLocationsWritesTheLivePlaces) {
    start();
    const auto place = [](QPoint bar, QPoint full, int splitter, QRect browser) {
        NavBarForm->move(bar);
        Form2->move(full);
        Form1->setGeometry(browser);
        Form1->Splitter1->setLeft(splitter);
        ASSERT_EQ(Form1->Splitter1->Left(), splitter);
    };
    const auto expected = [](QPoint bar, QPoint full, int splitter) {
        const QRect outer = Form1->frameGeometry();
        return QStringList{QString("NavBarLeft=%1").arg(bar.x()),
                           QString("NavBarTop=%1").arg(bar.y()),
                           QString("Form2Left=%1").arg(full.x()),
                           QString("Form2Top=%1").arg(full.y()),
                           QString("Splitter1Left=%1").arg(splitter),
                           QString("Form1Left=%1").arg(outer.x()),
                           QString("Form1Top=%1").arg(outer.y()),
                           QString("Form1Width=%1").arg(outer.width()),
                           QString("Form1Height=%1").arg(outer.height())};
    };
    place({11, 12}, {21, 22}, 170, {31, 32, 600, 400});
    PagesDlg->open();
    PagesDlg->BitBtn1->click();
    EXPECT_EQ(section("Locations"), expected({11, 12}, {21, 22}, 170));
    PagesDlg->CancelBtnClick(nullptr);
    EXPECT_TRUE(section("Options").isEmpty()) << "the button saves nothing else";

    // The browser's popup item does the same with the dialog closed.
    place({40, 50}, {60, 70}, 200, {80, 90, 640, 420});
    Form1->SaveWindowLocations1->trigger();
    EXPECT_EQ(section("Locations"), expected({40, 50}, {60, 70}, 200));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OptionsInWindows, RestoreWindowLocationsActsAtOnceAndCancelKeepsIt) {
    start("[Locations]\nNavBarLeft=300\nNavBarTop=310\nForm2Left=320\nForm2Top=330\n"
          "Splitter1Left=200\nForm1Left=40\nForm1Top=50\nForm1Width=700\nForm1Height=500\n");
    ASSERT_EQ(NavBarForm->pos(), QPoint(300, 310));
    PagesDlg->open();
    PagesDlg->BitBtn2->click();
    PagesDlg->CancelBtn->click();
    EXPECT_FALSE(PagesDlg->isVisible());
    EXPECT_EQ(section("Locations"),
              (QStringList{"NavBarLeft=0", "NavBarTop=0", "Form2Left=0", "Form2Top=0",
                           "Splitter1Left=149", "Form1Left=Center", "Form1Top=Center",
                           "Form1Width=516", "Form1Height=311"}));
    EXPECT_EQ(NavBarForm->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(Form2->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(Form1->Splitter1->Left(), 149);
    EXPECT_EQ(Form1->frameGeometry(), QRect((1024 - 516) / 2, (768 - 311) / 2, 516, 311));
}

void pressF1(QWidget* receiver) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(receiver, &press);
}

TEST_F(OptionsInWindows, F1InTheDialogOpensTopicTwoOnControlsAndThreeOtherwise) {
    start();
    test::RecordingHelp help;
    PagesDlg->open();
    TPagesDlg* d = PagesDlg;
    const struct {
        const char* what;
        QWidget* receiver;
        int context;
    } cases[] = {
        {"startup folder", d->Edit1, 2},
        {"command line", d->Edit5, 2},
        {"password field", d->Edit9, 2},
        {"Set Current", d->Button5, 2},
        {"Browse", d->Button3, 2},
        {"a button of a radio group", d->RadioGroup2->button(1), 2},
        {"a check box of the file page, through the pages", d->CheckBox9, 2},
        {"the file operations group, through the pages", d->RadioGroup3, 2},
        {"the tab row", d->PageControl1, 2},
        {"OK", d->OKBtn, 2},
        {"Cancel", d->CancelBtn, 2},
        {"Save Window Locations", d->BitBtn1, 2},
        {"no control has the focus", d, 3},
    };
    for (const auto& c : cases) {
        help.requests.clear();
        pressF1(c.receiver);
        ASSERT_EQ(help.requests.size(), 1) << c.what;
        EXPECT_EQ(help.requests[0].command, about::HELP_CONTEXT) << c.what;
        EXPECT_EQ(help.requests[0].data, c.context) << c.what;
    }

    // The password prompt carries no context: F1 there opens nothing.
    help.requests.clear();
    pressF1(PasswordDlg->Pass1);
    pressF1(PasswordDlg->OKBtn);
    pressF1(PasswordDlg);
    EXPECT_TRUE(help.requests.isEmpty());
}

TEST_F(OptionsInWindows, BrowseOffersProgramsOnly) {
    start();
    PagesDlg->open();
    dialogs.fileAnswers = {"/usr/bin/true"};
    PagesDlg->Button2->click();
    ASSERT_EQ(dialogs.fileDialogs.size(), 1);
    EXPECT_FALSE(dialogs.fileDialogIsSave[0]);
    EXPECT_TRUE(dialogs.fileDialogs[0].executablesOnly);
    EXPECT_TRUE(dialogs.fileDialogs[0].fileMustExist);
    EXPECT_EQ(PagesDlg->Edit3->text(), "/usr/bin/true");
}

} // namespace
