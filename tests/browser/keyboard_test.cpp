// The browser and the full-size window used from the keyboard alone: keys go to whatever has
// the focus, as they do when a user presses them.
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "filelists/directory_list_box.h"
#include "filelists/drive_combo_box.h"
#include "filelists/file_list_box.h"
#include "viewer/full_size_window.h"
#include "viewer/nav_bar.h"
#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QToolButton>

namespace {

class Keyboard : public test::WindowFixture {
protected:
    // Makes the window the active one, as a click on it does.
    static bool activate(QWidget* window) {
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }
    // Presses a key on the widget that has the keyboard focus.
    static void press(int key) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr) << "nothing has the keyboard focus";
        QTest::keyClick(target, Qt::Key(key));
    }
};

TEST_F(Keyboard, ArrowKeysFromTheStartStepThroughTheFilesWithThePreview) {
    const QString a = picture("a.bmp", 30, 20);
    const QString b = picture("b.bmp", 40, 10);
    start();
    ASSERT_TRUE(activate(Form1));
    EXPECT_EQ(QApplication::focusWidget(), Form1->FileListBox1);
    press(Qt::Key_Down);
    EXPECT_EQ(Form1->Panel1->text(), a + " - Image Size: 30 x 20 Pixels x 16.8M colors");
    press(Qt::Key_Down);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 1);
    EXPECT_EQ(Form1->Gvbox1->FileName(), b);
    EXPECT_EQ(Form1->CurrentFile.display(), b);
    press(Qt::Key_Down); // the last row stays selected
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 1);
    press(Qt::Key_Up);
    EXPECT_EQ(Form1->CurrentFile.display(), a);
}

TEST_F(Keyboard, HomeAndEndFromNoSelection) {
    const QString a = picture("a.bmp", 4, 4);
    picture("b.bmp", 4, 4);
    const QString c = picture("c.bmp", 4, 4);
    start();
    ASSERT_TRUE(activate(Form1));
    press(Qt::Key_Home);
    EXPECT_EQ(Form1->CurrentFile.display(), a);
    select(-1);
    press(Qt::Key_End);
    EXPECT_EQ(Form1->CurrentFile.display(), c);
}

TEST_F(Keyboard, TabVisitsTheThreeListsInTurn) {
    picture("a.bmp", 4, 4);
    start();
    ASSERT_TRUE(activate(Form1));
    QWidget* order[] = {Form1->DriveComboBox1, Form1->DirectoryListBox1, Form1->FileListBox1};
    // Whatever else takes the focus on the way, each list is reached, in this order.
    int next = 0;
    for (int i = 0; i < 12 && next < 3; ++i) {
        press(Qt::Key_Tab);
        if (QApplication::focusWidget() == order[next])
            ++next;
    }
    EXPECT_EQ(next, 3);
}

TEST_F(Keyboard, EnterOnAFileOpensTheFullSizeWindow) {
    const QString a = picture("a.bmp", 64, 48);
    start();
    ASSERT_TRUE(activate(Form1));
    press(Qt::Key_Return); // no file selected: nothing
    EXPECT_FALSE(Form2->isVisible());
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_TRUE(Form1->FullSizeShown);
    EXPECT_EQ(Form2->Gvbox1->FileName(), a);
}

TEST_F(Keyboard, FullSizeWindowKeysStepZoomAndClose) {
    picture("a.bmp", 64, 48);
    const QString b = picture("b.bmp", 32, 24);
    start();
    ASSERT_TRUE(activate(Form1));
    press(Qt::Key_Down);
    press(Qt::Key_F5);
    ASSERT_TRUE(Form2->isVisible());
    ASSERT_TRUE(activate(Form2));

    press(Qt::Key_Delete);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 1);
    EXPECT_EQ(Form2->Gvbox1->FileName(), b);
    press(Qt::Key_F2);
    EXPECT_EQ(Form2->windowTitle(), "Glimra .25x Zoom");
    EXPECT_EQ(NavBarForm->ZoomStep, 0);
    press(Qt::Key_Insert);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 0);
    press(Qt::Key_F9);
    EXPECT_EQ(Form2->windowTitle(), "Glimra 4x Zoom");
    press(Qt::Key_Escape);
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form1->FullSizeShown);
    EXPECT_FALSE(NavBarForm->SpeedButton8->isChecked());
}

TEST_F(Keyboard, ClickOnThePreviewGivesTheKeysBackToTheFileList) {
    picture("a.bmp", 4, 4);
    picture("b.bmp", 4, 4);
    start();
    ASSERT_TRUE(activate(Form1));
    Form1->DirectoryListBox1->setFocus();
    QTest::mouseClick(Form1->Gvbox1, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(QApplication::focusWidget(), Form1->FileListBox1);
    press(Qt::Key_Down);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 0);
}

} // namespace
