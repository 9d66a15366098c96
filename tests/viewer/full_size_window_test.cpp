// The full-size window, stepping and the navigation bar, driven through the real window set.
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "components/media_player.h"
#include "filelists/file_list_box.h"
#include "media_fixtures.h"
#include "platform/window_caption.h"
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
    // 75 x 68 by the sizing rule, but never narrower than the caption needs.
    EXPECT_EQ(Form2->size(), QSize(std::max(75, Form2->minimumWidth()), 68));
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
    // Each picture makes halves at its step whose neighbours differ, odd below and even above,
    // and is larger than the window's least size there.
    struct Case {
        const char* name;
        int w, h, step;
    };
    const Case cases[] = {
        {"a.bmp", 1242, 802, 0}, // 310.5 x 200.5 at 25 %
        {"b.bmp", 1201, 801, 1}, // 600.5 x 400.5 at 50 %
        {"c.bmp", 1206, 806, 2}, // 904.5 x 604.5 at 75 %
        {"d.bmp", 303, 203, 4},  // 454.5 x 304.5 at 150 %
    };
    for (const Case& c : cases)
        picture(c.name, c.w, c.h, 8);
    start();
    // The refresh of the first activation comes first.
    QCoreApplication::processEvents();
    openOn(0);
    for (int row = 0; row < 4; ++row) {
        select(row);
        Form2->zoomToStep(cases[row].step);
        QCoreApplication::processEvents();
        const std::string at = Form2->windowTitle().toStdString() + " of " + cases[row].name;
        EXPECT_EQ(Form2->Gvbox1->size(), Form2->Scroller->viewport()->size()) << at;
        EXPECT_FALSE(Form2->Scroller->horizontalScrollBar()->isVisible()) << at;
        EXPECT_FALSE(Form2->Scroller->verticalScrollBar()->isVisible()) << at;
    }
}

TEST_F(FullSize, TinyPicturesGetAWindowThatShowsItsCaptionWithThePictureCentred) {
    picture("dot.bmp", 32, 32);
    start();
    openOn(0);
    const int least = platform::captionedWindowWidth("Glimra Full Size");
    EXPECT_GE(Form2->width(), least);
    EXPECT_GE(Form2->height(), 32 + Form2->Panel1->height());
    QCoreApplication::processEvents();
    const QRect box = Form2->Gvbox1->geometry();
    const QRect area = Form2->Scroller->viewport()->rect();
    EXPECT_EQ(box.size(), QSize(32, 32));
    EXPECT_LE(std::abs(box.center().x() - area.center().x()), 1) << "the picture is not centred";
    EXPECT_LE(std::abs(box.center().y() - area.center().y()), 1);
    // A longer caption asks for a wider window.
    Form2->ZoomIn1Click(nullptr);
    EXPECT_GE(Form2->width(), platform::captionedWindowWidth("Glimra .25x Zoom"));
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
    EXPECT_EQ(Form1->CurrentFile.display(), a) << "stepping leaves the browser's current file";
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
    EXPECT_EQ(Form2->size().width(), std::max(Form2->Gvbox1->bmpw(), Form2->minimumWidth()));
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
    // As wide as the placeholder, but never narrower than the caption needs.
    EXPECT_EQ(Form2->size().width(), std::max(Form2->Gvbox1->bmpw(), Form2->minimumWidth()));
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
    EXPECT_EQ(Form1->CurrentFile.display(), b);
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

TEST_F(FullSize, SaveAsJpegWritesARealJpegAndKeepsTheSelectedFile) {
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
    // The new file sorts first: c.bmp stays selected, one row further down.
    EXPECT_EQ(Form1->FileListBox1->Count(), 3);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 2);
    EXPECT_EQ(Form1->CurrentFile.display(), path("c.bmp"));
}

} // namespace
