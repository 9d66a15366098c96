// The full-size window, stepping and the navigation bar, driven through the real window set.
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "components/media_player.h"
#include "filelists/file_list_box.h"
#include "media_fixtures.h"
#include "test_env.h"
#include "viewer/full_size_window.h"
#include "viewer/nav_bar.h"
#include "window_fixture.h"

#include <QAction>
#include <QImageReader>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

namespace {

class FullSize : public test::WindowFixture {
protected:
    void openOn(int row) {
        select(row);
        Form1->BitBtn1Click(nullptr);
    }
    bool zoomIn() const { return NavBarForm->SpeedButton2->isEnabled(); }
    bool zoomOut() const { return NavBarForm->SpeedButton3->isEnabled(); }
};

TEST_F(FullSize, DisplayFullSizeShowsTheFileAtNaturalSize) {
    const QString a = picture("a.bmp", 640, 480, 8);
    start();
    Form1->BitBtn1Click(nullptr); // no selection: nothing
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form1->FullSizeShown);
    EXPECT_FALSE(NavBarForm->SpeedButton1->isEnabled());

    openOn(0);
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_TRUE(Form1->FullSizeShown);
    EXPECT_EQ(Form2->windowTitle(), "Glimra Full Size");
    EXPECT_EQ(Form2->size(), QSize(640, 498));
    EXPECT_EQ(Form2->Panel1->text(), a + " - Image Size: 640 x 480 Pixels x 256 colors");
    EXPECT_EQ(NavBarForm->ZoomStep, 3);
    EXPECT_TRUE(NavBarForm->SpeedButton8->isChecked());
    for (QToolButton* b : {NavBarForm->SpeedButton1, NavBarForm->SpeedButton2,
                           NavBarForm->SpeedButton3, NavBarForm->SpeedButton9})
        EXPECT_TRUE(b->isEnabled());
    // Twice: still one window, at 100 % again.
    Form2->Zoom2001Click(nullptr);
    Form1->BitBtn1Click(nullptr);
    EXPECT_EQ(Form2->Gvbox1->Zoom(), 1.0f);
    EXPECT_EQ(Form2->windowTitle(), "Glimra 2x Zoom");
}

TEST_F(FullSize, ZoomStepsWithTheBarShownAndHidden) {
    picture("a.bmp", 300, 200);
    start();
    openOn(0);
    Form2->Zoom4001Click(nullptr);
    EXPECT_FALSE(zoomIn());
    EXPECT_TRUE(zoomOut());
    EXPECT_EQ(Form2->size(), QSize(985, 703));
    Form2->ZoomIn1Click(nullptr);
    EXPECT_TRUE(zoomIn());
    EXPECT_FALSE(zoomOut());
    EXPECT_EQ(Form2->windowTitle(), "Glimra .25x Zoom");
    EXPECT_EQ(Form2->size(), QSize(75, 68));
    // With the bar hidden its buttons stay as they were; the step still follows.
    NavBarForm->close();
    EXPECT_FALSE(Form1->SpeedButton1->isChecked());
    Form2->Zoom4001Click(nullptr);
    EXPECT_EQ(NavBarForm->ZoomStep, 7);
    EXPECT_TRUE(zoomIn());
    EXPECT_FALSE(zoomOut());
}

TEST_F(FullSize, BarZoomsStepByStep) {
    picture("a.bmp", 100, 100);
    start();
    openOn(0);
    const char* up[] = {"Glimra 1.5x Zoom", "Glimra 2x Zoom", "Glimra 3x Zoom", "Glimra 4x Zoom"};
    for (const char* caption : up) {
        NavBarForm->SpeedButton2Click(nullptr);
        EXPECT_EQ(Form2->windowTitle(), caption);
    }
    EXPECT_FALSE(zoomIn());
    Form2->Normal1001Click(nullptr);
    const char* down[] = {"Glimra .75x Zoom", "Glimra .5x Zoom", "Glimra .25x Zoom"};
    for (const char* caption : down) {
        NavBarForm->SpeedButton3Click(nullptr);
        EXPECT_EQ(Form2->windowTitle(), caption);
    }
    EXPECT_FALSE(zoomOut());
}

TEST_F(FullSize, StepOutsideTheRangeTakesOneClickMoreBack) {
    picture("a.bmp", 100, 100);
    start();
    openOn(0);
    // A menu zoom while the bar is hidden leaves Zoom In enabled at 400 %.
    NavBarForm->hide();
    Form2->Zoom4001Click(nullptr);
    NavBarForm->show();
    NavBarForm->SpeedButton2Click(nullptr);
    EXPECT_EQ(NavBarForm->ZoomStep, 8);
    EXPECT_EQ(Form2->windowTitle(), "Glimra 4x Zoom");
    NavBarForm->SpeedButton3Click(nullptr); // 7: nothing happens
    EXPECT_EQ(NavBarForm->ZoomStep, 7);
    EXPECT_EQ(Form2->Gvbox1->Zoom(), 4.0f);
    NavBarForm->SpeedButton3Click(nullptr);
    EXPECT_EQ(Form2->windowTitle(), "Glimra 3x Zoom");
    // And from -1 at the other end.
    NavBarForm->ZoomStep = -1;
    NavBarForm->SpeedButton2Click(nullptr);
    EXPECT_EQ(NavBarForm->ZoomStep, 0);
    EXPECT_EQ(Form2->windowTitle(), "Glimra 3x Zoom");
    NavBarForm->SpeedButton2Click(nullptr);
    EXPECT_EQ(Form2->windowTitle(), "Glimra .5x Zoom");
}

TEST_F(FullSize, OddSizedPicturesFitTheirWindowAtEveryStepWithoutScrollBars) {
    // Odd sides make halves at 50 % and 150 %, and quarters at 25 % and 75 %.
    picture("odd.bmp", 101, 77);
    start();
    openOn(0);
    for (int k = 0; k < 8; ++k) {
        Form2->zoomToStep(k);
        QCoreApplication::processEvents();
        const QString at = Form2->windowTitle();
        EXPECT_EQ(Form2->Gvbox1->size(), Form2->Scroller->viewport()->size()) << at.toStdString();
        EXPECT_FALSE(Form2->Scroller->horizontalScrollBar()->isVisible()) << at.toStdString();
        EXPECT_FALSE(Form2->Scroller->verticalScrollBar()->isVisible()) << at.toStdString();
    }
}

TEST_F(FullSize, SteppingStopsAtBothEndsAndResetsTheZoom) {
    const QString a = picture("a.bmp", 40, 30);
    const QString b = picture("b.bmp", 50, 20, 8);
    start();
    openOn(0);
    Form2->PreviousImage1Click(nullptr); // first row: nothing
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 0);
    Form2->Zoom3001Click(nullptr);
    Form2->NextImage1Click(nullptr);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 1);
    EXPECT_EQ(Form2->Gvbox1->Zoom(), 1.0f);
    EXPECT_EQ(NavBarForm->ZoomStep, 3);
    EXPECT_EQ(Form2->windowTitle(), "Glimra 3x Zoom");
    const QString status = b + " - Image Size: 50 x 20 Pixels x 256 colors";
    EXPECT_EQ(Form2->Panel1->text(), status);
    EXPECT_EQ(Form1->Panel1->text(), status);
    EXPECT_EQ(Form1->Gvbox1->FileName(), b);
    EXPECT_EQ(Form1->CurrentFile, a) << "stepping leaves the browser's current file";
    Form2->NextImage1Click(nullptr); // last row: nothing
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 1);
}

TEST_F(FullSize, SteppingThroughSoundsAndPictures) {
    const QString a = sound("a.wav", 2000);
    const QString b = picture("b.bmp", 10, 10);
    const QString c = sound("c.wav", 2000);
    const QString d = sound("d.wav", 2000);
    start();
    openOn(0);
    ASSERT_EQ(Form1->MediaPlayer1->Mode(), mpPlaying);
    EXPECT_EQ(Form2->Panel1->text(), a);
    Form2->NextImage1Click(nullptr); // onto a picture: the sound stops
    EXPECT_NE(Form1->MediaPlayer1->Mode(), mpPlaying);
    Form2->NextImage1Click(nullptr);
    EXPECT_EQ(Form1->Panel1->text(), c + " - Playing");
    EXPECT_EQ(Form2->Gvbox1->FileName(), Form1->Options.ExecDir + "/Wave.bmp");
    Form2->NextImage1Click(nullptr); // onto another sound: the first stops, the second plays
    EXPECT_EQ(Form1->MediaPlayer1->FileName, d);
    EXPECT_EQ(Form1->Panel1->text(), d + " - Playing");
    EXPECT_EQ(Form2->Panel1->text(), d);
    EXPECT_EQ(Form2->size().width(), Form2->Gvbox1->bmpw());
    Form1->MediaPlayer1->Close();
}

TEST_F(FullSize, SteppingOntoAVideoShowsItsFrameSizedLikeAPicture) {
    const QString a = sound("a.wav", 2000);
    const QString clip = file("b.mkv", test::makeVideo("mkv"));
    const QString avi = file("c.avi", test::makeVideo("avi"));
    start();
    openOn(0);
    Form2->NextImage1Click(nullptr);
    EXPECT_EQ(Form2->Gvbox1->FileName(), clip);
    EXPECT_EQ(Form1->Gvbox1->FileName(), clip);
    EXPECT_EQ(QSize(Form2->Gvbox1->bmpw(), Form2->Gvbox1->bmph()), QSize(64, 48));
    EXPECT_EQ(Form2->Panel1->text(), clip);
    EXPECT_EQ(Form1->Panel1->text(), clip + " - Playing");
    Form2->NextImage1Click(nullptr);
    EXPECT_EQ(Form2->Gvbox1->FileName(), Form1->Options.ExecDir + "/Avi.bmp");
    EXPECT_EQ(Form2->size().width(), Form2->Gvbox1->bmpw());
    Form1->MediaPlayer1->Close();
}

TEST_F(FullSize, ClosingRestoresTheBar) {
    picture("a.bmp", 10, 10);
    start();
    openOn(0);
    Form2->close();
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_FALSE(Form1->FullSizeShown);
    EXPECT_FALSE(NavBarForm->SpeedButton8->isChecked());
    for (QToolButton* b : {NavBarForm->SpeedButton1, NavBarForm->SpeedButton2,
                           NavBarForm->SpeedButton3, NavBarForm->SpeedButton9})
        EXPECT_FALSE(b->isEnabled());
    // The toggle with a file selected opens it again; without one it springs back.
    NavBarForm->SpeedButton8->click();
    EXPECT_TRUE(Form2->isVisible());
    NavBarForm->SpeedButton8->click();
    EXPECT_FALSE(Form2->isVisible());
    select(-1);
    NavBarForm->SpeedButton8->click();
    EXPECT_FALSE(NavBarForm->SpeedButton8->isChecked());
    EXPECT_FALSE(Form2->isVisible());
}

TEST_F(FullSize, BarStepsTheBrowserWhileTheWindowIsHidden) {
    picture("a.bmp", 10, 10);
    const QString b = picture("b.bmp", 10, 10);
    start();
    select(0);
    NavBarForm->SpeedButton5Click(nullptr);
    EXPECT_EQ(Form1->CurrentFile, b);
    NavBarForm->SpeedButton5Click(nullptr);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 1);
}

TEST_F(FullSize, FollowsTheSelectionAndHidesWithoutOne) {
    picture("a.bmp", 10, 10);
    start();
    openOn(0);
    select(-1);
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_TRUE(Form1->FullSizeShown);
    select(0);
    EXPECT_TRUE(Form2->isVisible());
}

TEST_F(FullSize, CopyTakesTheSteppedToFileWithTheCurrentFilesFilter) {
    picture("a.bmp", 10, 10);
    const QString b = picture("b.png", 10, 10);
    start("[Options]\nPrompt_Copy=0\n");
    openOn(0);
    Form2->NextImage1Click(nullptr);
    dialogs.fileAnswers = {path("copy.png")};
    Form1->CopyCurrentFile1Click(nullptr);
    ASSERT_EQ(dialogs.fileDialogs.size(), 1);
    EXPECT_EQ(dialogs.fileDialogs[0].fileName, "b.png");
    EXPECT_EQ(dialogs.fileDialogs[0].filter, "*.png|*.png");
    EXPECT_EQ(dialogs.fileDialogs[0].defaultSuffix, "bmp");
    EXPECT_EQ(test::readFile(path("copy.png")), test::readFile(b));
}

TEST_F(FullSize, SaveAsJpegWritesARealJpegAndKeepsThePosition) {
    picture("b.bmp", 64, 48);
    picture("c.bmp", 64, 48);
    start();
    select(1);
    dialogs.fileAnswers = {path("a.jpg")};
    Form1->SaveasJPEG1Click(nullptr);
    ASSERT_EQ(dialogs.fileDialogs.size(), 1);
    EXPECT_EQ(dialogs.fileDialogs[0].fileName, "c.jpg");
    EXPECT_EQ(dialogs.fileDialogs[0].title, "Glimra Save As JPEG Dialog");
    QImageReader reader(path("a.jpg"));
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.size(), QSize(64, 48));
    // The new file sorts first: the position stays, so it now shows b.bmp.
    EXPECT_EQ(Form1->FileListBox1->Count(), 3);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 1);
    EXPECT_EQ(Form1->CurrentFile, path("b.bmp"));
}

} // namespace
