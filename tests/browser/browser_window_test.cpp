// The browser window on real folders: the preview update, the refresh on return, the filter.
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "components/media_player.h"
#include "filelists/file_list_box.h"
#include "media_fixtures.h"
#include "platform/error_box.h"
#include "test_env.h"
#include "window_fixture.h"

#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QToolButton>
#include <fcntl.h>
#include <unistd.h>

namespace {

class Browser : public test::WindowFixture {};

TEST_F(Browser, FileSizeLinesFollowTheSelectedFile) {
    const std::pair<qint64, const char*> sizes[] = {
        {0, "FileSize:  0.0 KB"},
        {51, "FileSize:  0.0 KB"},
        {52, "FileSize:  0.1 KB"},
        {256, "FileSize:  0.3 KB"},
        {1536, "FileSize:  1.5 KB"},
        {1048576, "FileSize:  1024.0 KB"},
        {3221225472LL, "FileSize:  3145728.0 KB"},
    };
    int n = 0;
    for (const auto& [bytes, text] : sizes) {
        const QString p = path(QString("s%1.pcx").arg(n++));
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(bytes)); // sparse: no disk space for the big one
    }
    start();
    ASSERT_EQ(Form1->FileListBox1->Count(), n);
    for (int row = 0; row < n; ++row) {
        select(row);
        EXPECT_EQ(Form1->Panel6->text(), QString::fromLatin1(sizes[row].second)) << row;
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Browser, StatusLineDescribesThePicture) {
    const QString one = picture("a1.bmp", 20, 10, 1);
    const QString four = picture("b4.bmp", 20, 10, 4);
    const QString eight = picture("c8.BMP", 640, 480, 8);
    const QString full = picture("d24.bmp", 30, 20, 24);
    start();
    select(0);
    EXPECT_EQ(Form1->Panel1->text(), one + " - Image Size: 20 x 10 Pixels x 2 colors");
    select(1);
    EXPECT_EQ(Form1->Panel1->text(), four + " - Image Size: 20 x 10 Pixels x 16 colors");
    select(2);
    EXPECT_EQ(Form1->Panel1->text(), eight + " - Image Size: 640 x 480 Pixels x 256 colors");
    select(3);
    EXPECT_EQ(Form1->Panel1->text(), full + " - Image Size: 30 x 20 Pixels x 16.8M colors");
    EXPECT_EQ(Form1->CurrentFile.display(), full);
}

TEST_F(Browser, UnreadablePictureAndNoSelection) {
    const QString broken = file("broken.gif", "not a picture");
    start();
    select(0);
    EXPECT_EQ(Form1->Panel1->text(), broken + " - Image Size: 0 x 0 Pixels");
    select(-1);
    EXPECT_EQ(Form1->Panel1->text(), "No File Loaded.");
    EXPECT_EQ(Form1->Panel6->text(), "FileSize:");
    EXPECT_TRUE(Form1->CurrentFile.isEmpty());
}

TEST_F(Browser, ReadOnlyFilePreviewsAndAVanishedOneIsReported) {
    const QString ro = picture("ro.bmp", 4, 4);
    QFile::setPermissions(ro, QFile::ReadOwner);
    const QString gone = picture("zz.bmp", 4, 4);
    start();
    select(0);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(Form1->Panel1->text().startsWith(ro + " - Image Size: 4 x 4"));
    QFile::remove(gone);
    Form1->FileListBox1->setItemIndex(1);
    platform::guarded([] { Form1->FileListBox1Change(nullptr); });
    EXPECT_EQ(dialogs.texts(), QStringList{"File not found."});
}

TEST_F(Browser, MediaFilesPlayBehindTheirPlaceholder) {
    const QString first = sound("a.WAV", 300);
    const QString wave = file("b.wave", "x"); // five letters: a picture, not a sound
    const QString second = sound("c.wav", 300);
    picture("d.bmp", 8, 8);
    start("[Options]\nDisplay=0\n");
    // .wave is not in the mask: list it through the designed all-files mask of the test.
    Form1->FileListBox1->setMask("*.*");
    ASSERT_EQ(Form1->FileListBox1->Count(), 4);
    select(0);
    EXPECT_EQ(Form1->Panel1->text(), first + " - Playing");
    EXPECT_EQ(Form1->Gvbox1->FileName(), Form1->Options.ExecDir + "/Wave.bmp");
    EXPECT_EQ(Form1->MediaPlayer1->Mode(), mpPlaying);
    // A second sound stops the first and plays itself, then reports its end.
    select(2);
    EXPECT_EQ(Form1->Panel1->text(), second + " - Playing");
    EXPECT_TRUE(waitFor([] { return Form1->Panel1->text().endsWith(" - Stopped"); }));
    EXPECT_EQ(Form1->Panel1->text(), second + " - Stopped");
    // ".wave" is a picture that cannot be read.
    select(1);
    EXPECT_EQ(Form1->Panel1->text(), wave + " - Image Size: 0 x 0 Pixels");
    // A picture while a sound plays stops the sound.
    select(0);
    ASSERT_EQ(Form1->MediaPlayer1->Mode(), mpPlaying);
    select(3);
    EXPECT_NE(Form1->MediaPlayer1->Mode(), mpPlaying);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join("|").toStdString();
}

TEST_F(Browser, TodaysSoundAndVideoPlayBehindThePictureTheyCarry) {
    QImage art(30, 20, QImage::Format_RGB32);
    art.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    art.save(&buffer, "PNG");
    const QString avi = file("a.avi", test::makeVideo("avi"));
    const QString bare = file("b.ogg", test::makeSound("ogg"));
    const QString clip = file("c.webm", test::makeVideo("webm"));
    const QString song = file("d.MP3", test::makeSound("mp3", png));
    start();
    ASSERT_EQ(Form1->FileListBox1->Count(), 4);
    // An AVI keeps its placeholder though a frame could be taken from it.
    select(0);
    EXPECT_EQ(Form1->Gvbox1->FileName(), Form1->Options.ExecDir + "/Avi.bmp");
    EXPECT_EQ(Form1->Panel1->text(), avi + " - Playing");
    // A sound without cover art shows the sound placeholder.
    select(1);
    EXPECT_EQ(Form1->Gvbox1->FileName(), Form1->Options.ExecDir + "/Wave.bmp");
    EXPECT_EQ(Form1->Panel1->text(), bare + " - Playing");
    // A video shows its frame, a song its cover; both play.
    select(2);
    EXPECT_EQ(Form1->Gvbox1->FileName(), clip);
    EXPECT_EQ(Form1->Gvbox1->bmpw(), 64);
    EXPECT_EQ(Form1->Panel1->text(), clip + " - Playing");
    select(3);
    EXPECT_EQ(Form1->Gvbox1->FileName(), song);
    EXPECT_EQ(QSize(Form1->Gvbox1->bmpw(), Form1->Gvbox1->bmph()), QSize(30, 20));
    EXPECT_EQ(Form1->Panel1->text(), song + " - Playing");
    EXPECT_TRUE(waitFor([] { return Form1->Panel1->text().endsWith(" - Stopped"); }));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.texts().join("|").toStdString();
}

TEST_F(Browser, MidiWithoutSoundFontKeepsTheStatusLine) {
    picture("a.bmp", 8, 8);
    const QString midi = file("b.mid", test::midiBytes());
    test::ScopedEnv noFont("GLIMRA_SOUNDFONT", path("missing.sf2").toUtf8());
    start();
    select(0);
    const QString before = Form1->Panel1->text();
    Form1->FileListBox1->setItemIndex(1);
    platform::guarded([] { Form1->FileListBox1Change(nullptr); });
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].caption, "Glimra Version 2.0");
    EXPECT_EQ(Form1->Panel1->text(), before);
    EXPECT_EQ(Form1->Panel6->text(), "FileSize:  0.0 KB");
    EXPECT_EQ(Form1->Gvbox1->FileName(), Form1->Options.ExecDir + "/Midi.bmp");
}

TEST_F(Browser, ReturnToTheProgramKeepsThePositionOfAFileThatWent) {
    picture("a.bmp", 4, 4);
    picture("b.bmp", 4, 4);
    const QString c = picture("c.bmp", 4, 4);
    start();
    select(1);
    // The selected file went: the one that took its position is selected.
    QFile::remove(path("b.bmp"));
    Form1->ApplicationActivate(nullptr);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 1);
    EXPECT_EQ(Form1->CurrentFile.display(), c);
    // Past the end no file is selected.
    QFile::remove(c);
    Form1->ApplicationActivate(nullptr);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), -1);
    EXPECT_EQ(Form1->Panel1->text(), "No File Loaded.");
}

TEST_F(Browser, FileTypeFilters) {
    for (const char* name : {"a.bmp", "b.WAV", "c.mid", "d.rmi", "e.AVI", "f.txt"})
        file(name, "x");
    start("[Options]\nDisplay=2\n");
    EXPECT_EQ(Form1->FileListBox1->Count(), 4);
    windows.reset();
    start("[Options]\nDisplay=5\n");
    // The designed mask: pictures, .wav and .mid, but no .rmi or .avi.
    EXPECT_EQ(Form1->FileListBox1->Count(), 3);
}

TEST_F(Browser, MenusAndButtons) {
    start();
    EXPECT_EQ(Form1->windowTitle(), "Glimra v2.0");
    EXPECT_EQ(Form1->ExploreFromHere1->text(), "&Explore From Here");
    EXPECT_EQ(Form1->Openwith1->text(), "Open with...");
    EXPECT_FALSE(Form1->Openwith1->isEnabled());
    EXPECT_TRUE(Form1->SpeedButton1->isChecked());
    EXPECT_EQ(Form1->SpeedButton1->toolTip(), "Toggle NavBar");
    EXPECT_EQ(Form1->BitBtn2->toolTip(), "Exit Glimra");
    EXPECT_EQ(Form1->DeleteCurrentFile1->shortcut(), QKeySequence("Ctrl+D"));
    EXPECT_EQ(Form1->Openwith2->shortcut(), QKeySequence(Qt::Key_F12));
}

TEST_F(Browser, OpenWithItemsBecomeUsableWithACommandAndAFile) {
    picture("a.bmp", 4, 4);
    start("[Options]\nMenu1Descrip=Editor\nMenu1Command=true\n");
    Form1->updateOpenWithItems();
    EXPECT_FALSE(Form1->Openwith1->isEnabled());
    select(0);
    Form1->updateOpenWithItems();
    EXPECT_EQ(Form1->Openwith1->text(), "Open with Editor");
    EXPECT_TRUE(Form1->Openwith1->isEnabled());
    EXPECT_EQ(Form1->Openwith2->text(), "Open with...");
    EXPECT_FALSE(Form1->Openwith2->isEnabled());
}

} // namespace
