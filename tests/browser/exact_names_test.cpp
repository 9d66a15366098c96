// Through the whole window set, the browser never acts on the wrong file: a name that is not
// valid UTF-8 beside its lossy twin (both read "a\uFFFD..."), a file that appears above the
// selection, a name that looks like markup.
#include "about/about_box.h"
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "filelists/directory_list_box.h"
#include "filelists/file_list_box.h"
#include "options/options_dialog.h"
#include "options/password_dialog.h"
#include "recording_starter.h"
#include "test_env.h"
#include "viewer/full_size_window.h"
#include "viewer/nav_bar.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <cstdio>
#include <sys/stat.h>

namespace {

using platform::MessageButton;

// "a\xff" and its lossy twin "a\xEF\xBF\xBD" read alike.
const QByteArray kOdd("a\xff");
const QByteArray kTwin("a\xEF\xBF\xBD");

class ExactNames : public test::WindowFixture {
protected:
    void TearDown() override {
        WindowFixture::TearDown();
        // The toolkit cannot remove what it cannot name.
        test::removeNativeTree(native());
    }
    QByteArray native(const QByteArray& name = {}) const {
        const QByteArray folderBytes = QFile::encodeName(folder.path());
        return name.isEmpty() ? folderBytes : folderBytes + '/' + name;
    }
    // A picture of this width under a name given as its bytes.
    QByteArray oddPicture(const QByteArray& name, int width) {
        const QString made = picture("made.bmp", width, 4);
        EXPECT_EQ(std::rename(QFile::encodeName(made).constData(), native(name).constData()), 0);
        return native(name);
    }
    // Selects the row holding exactly this name.
    void selectNative(const QByteArray& name) {
        const int row = Form1->FileListBox1->NativeIndexOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        select(row);
    }
};

TEST_F(ExactNames, CommandsActOnTheSelectedFileNeverOnItsTwin) {
    const QByteArray odd = oddPicture(kOdd + ".bmp", 4);
    const QByteArray twin = oddPicture(kTwin + ".bmp", 8);
    const QByteArray oddBytes = test::readNativeFile(odd);
    const QByteArray twinBytes = test::readNativeFile(twin);
    ASSERT_NE(oddBytes, twinBytes);
    ASSERT_TRUE(QDir(folder.path()).mkdir("copies") && QDir(folder.path()).mkdir("moved"));
    test::RecordingStarter starter;
    start("[Options]\nMenu1Descrip=View\nMenu1Command=viewer\nAllow_Del=1\nPrompt_Del=0\n"
          "Prompt_Copy=0\nPrompt_Move=0\nWinFileOps=0\n");
    ASSERT_EQ(Form1->FileListBox1->Count(), 2);
    selectNative(kOdd + ".bmp");
    EXPECT_EQ(Form1->CurrentFile.bytes(), odd);
    EXPECT_TRUE(Form1->Panel1->text().endsWith(" - Image Size: 4 x 4 Pixels x 16.8M colors"));

    Form1->updateOpenWithItems();
    Form1->Openwith1Click(nullptr);
    ASSERT_EQ(starter.startedBytes.size(), 1);
    EXPECT_EQ(starter.startedBytes[0].last(), odd);

    // The dialog shows and returns text: the proposal comes back as the file's own bytes.
    const QString shownName = QString::fromUtf8(kTwin + ".bmp");
    dialogs.fileAnswers = {path("copies/" + shownName)};
    Form1->CopyCurrentFile1->trigger();
    ASSERT_EQ(dialogs.fileDialogs.size(), 1);
    EXPECT_EQ(dialogs.fileDialogs[0].fileName, shownName);
    EXPECT_EQ(test::readNativeFile(native("copies/" + kOdd + ".bmp")), oddBytes);
    EXPECT_FALSE(test::existsNative(native("copies/" + kTwin + ".bmp")));
    EXPECT_EQ(Form1->CurrentFile.bytes(), odd) << "the refresh keeps the file selected";

    Form1->DeleteCurrentFile1->trigger();
    EXPECT_FALSE(test::existsNative(odd));
    EXPECT_EQ(test::readNativeFile(twin), twinBytes);

    // Back again, and moved away.
    ASSERT_EQ(std::rename(native("copies/" + kOdd + ".bmp").constData(), odd.constData()), 0);
    Form1->ApplicationActivate(nullptr);
    selectNative(kOdd + ".bmp");
    dialogs.fileAnswers = {path("moved/" + shownName)};
    Form1->MoveCurrentFile1->trigger();
    EXPECT_EQ(test::readNativeFile(native("moved/" + kOdd + ".bmp")), oddBytes);
    EXPECT_FALSE(test::existsNative(odd));
    EXPECT_EQ(test::readNativeFile(twin), twinBytes);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
}

TEST_F(ExactNames, FullSizeWindowAndSteppingShowTheSelectedFile) {
    oddPicture(kOdd + ".bmp", 4);
    oddPicture(kTwin + ".bmp", 8);
    start();
    selectNative(kOdd + ".bmp");
    Form1->BitBtn1Click(nullptr);
    EXPECT_EQ(Form2->Gvbox1->bmpw(), 4);
    const int odd = Form1->FileListBox1->ItemIndex();
    select(1 - odd);
    EXPECT_EQ(Form2->Gvbox1->bmpw(), 8);
    if (odd == 1)
        Form2->NextImage1Click(nullptr);
    else
        Form2->PreviousImage1Click(nullptr);
    EXPECT_EQ(Form1->FileListBox1->SelectedNativePath(), native(kOdd + ".bmp"));
    EXPECT_EQ(Form2->Gvbox1->bmpw(), 4);
    EXPECT_EQ(Form1->Gvbox1->bmpw(), 4);
}

TEST_F(ExactNames, StartFolderAndExploreReachAFolderThatIsNoValidUtf8) {
    ASSERT_EQ(::mkdir(native(kOdd).constData(), 0755), 0);
    ASSERT_EQ(::mkdir(native(kTwin).constData(), 0755), 0);
    const QString made = picture("made.bmp", 4, 4);
    ASSERT_EQ(std::rename(QFile::encodeName(made).constData(), native(kOdd + "/p.bmp").constData()),
              0);
    test::RecordingStarter starter;
    startIn(native(kOdd), "[Options]\nExplorer=1\n");
    EXPECT_EQ(Form1->DirectoryListBox1->NativeDirectory(), native(kOdd));
    EXPECT_EQ(Form1->CurrentDir.bytes(), native(kOdd));
    EXPECT_EQ(Form1->FileListBox1->Count(), 1);
    Form1->ExploreFromHere1->trigger();
    ASSERT_EQ(starter.startedBytes.size(), 1);
    EXPECT_EQ(starter.startedBytes[0].mid(1), QList<QByteArray>{native(kOdd)});
}

TEST_F(ExactNames, SaveAsJpegOpensInTheShownFolderAndWritesTheProposedName) {
    oddPicture(kOdd + ".bmp", 4);
    test::writeNativeFile(native(kTwin + ".jpg"), "twin");
    start();
    selectNative(kOdd + ".bmp");
    const QString proposal = QString::fromUtf8(kTwin + ".jpg");
    dialogs.fileAnswers = {path(proposal)};
    Form1->SaveasJPEG1Click(nullptr);
    ASSERT_EQ(dialogs.fileDialogs.size(), 1);
    EXPECT_EQ(dialogs.fileDialogs[0].directory, folder.path());
    EXPECT_EQ(dialogs.fileDialogs[0].fileName, proposal);
    EXPECT_TRUE(dialogs.fileDialogs[0].pathMustExist);
    EXPECT_TRUE(test::readNativeFile(native(kOdd + ".jpg")).startsWith("\xFF\xD8\xFF"));
    EXPECT_EQ(test::readNativeFile(native(kTwin + ".jpg")), "twin");
    EXPECT_EQ(Form1->CurrentFile.bytes(), native(kOdd + ".bmp"));
}

TEST_F(ExactNames, ReturningToTheProgramKeepsTheSameFileSelected) {
    picture("b.bmp", 4, 4);
    picture("c.bmp", 4, 4);
    picture("d.bmp", 4, 4);
    start();
    select(1);
    // A file appears above the selection: the selection stays on c.bmp.
    picture("a.bmp", 4, 4);
    Form1->ApplicationActivate(nullptr);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 2);
    EXPECT_EQ(Form1->CurrentFile.display(), path("c.bmp"));
    // The selected file goes: its position passes to the file that took it.
    QFile::remove(path("c.bmp"));
    Form1->ApplicationActivate(nullptr);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 2);
    EXPECT_EQ(Form1->CurrentFile.display(), path("d.bmp"));

    // Its lossy twin appearing beside it does not take the selection either.
    oddPicture(kOdd + ".bmp", 4);
    Form1->ApplicationActivate(nullptr);
    selectNative(kOdd + ".bmp");
    oddPicture(kTwin + ".bmp", 8);
    Form1->ApplicationActivate(nullptr);
    EXPECT_EQ(Form1->FileListBox1->SelectedNativePath(), native(kOdd + ".bmp"));
    EXPECT_EQ(Form1->Gvbox1->bmpw(), 4);
}

TEST_F(ExactNames, NamesThatLookLikeMarkupAreShownAsTheyAre) {
    const QString name = picture("<b>x<i>y <img src=z.png>.bmp", 4, 4);
    start();
    select(0);
    EXPECT_TRUE(Form1->Panel1->text().startsWith(name));
    Form1->BitBtn1Click(nullptr);
    EXPECT_TRUE(Form2->Panel1->text().startsWith(name));
    // Every label of every window shows its text as it is.
    const QList<QWidget*> windows{Form1, Form2, NavBarForm, AboutBox, PagesDlg, PasswordDlg};
    for (QWidget* window : windows)
        for (const QLabel* label : window->findChildren<QLabel*>())
            EXPECT_EQ(label->textFormat(), Qt::PlainText)
                << window->objectName().toStdString() << " " << label->text().toStdString();
}

} // namespace
