// Delete, copy, move and "Open with" run from the browser window on real files: the files, the
// private trash, the list, its selection and the preview afterwards.
#include "browser/browser_window.h"
#include "components/media_player.h"
#include "filelists/file_list_box.h"
#include "platform/trash.h"
#include "recording_starter.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QTest>

namespace {

using platform::MessageButton;

class BrowserFileCommands : public test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        QDir(platform::homeTrashPath().display()).removeRecursively();
    }
    QStringList trash() const {
        return QDir(platform::homeTrashPath().display() + "/files").entryList(QDir::Files);
    }
    QStringList listed() const { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(BrowserFileCommands, DeletingAMiddleFileSelectsAndPreviewsTheNext) {
    picture("a.bmp", 4, 4);
    const QString b = picture("b.bmp", 4, 4);
    const QString c = picture("c.bmp", 6, 3);
    start("[Options]\nAllow_Del=1\n"); // prompt, shell operations and the trash by default
    select(1);
    dialogs.answers = {MessageButton::Yes};
    Form1->DeleteCurrentFile1->trigger();
    EXPECT_EQ(dialogs.texts(), QStringList{"Delete File: " + b + "?"});
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_EQ(trash(), QStringList{"b.bmp"});
    EXPECT_EQ(Form1->FileListBox1->Count(), 2);
    EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 1);
    EXPECT_EQ(Form1->CurrentFile.display(), c);
    EXPECT_EQ(Form1->Panel1->text(), c + " - Image Size: 6 x 3 Pixels x 16.8M colors");
}

TEST_F(BrowserFileCommands, ARefusedDeleteStillStopsTheSound) {
    const QString wav = sound("a.wav", 3000);
    start(); // deletion is not allowed by default
    select(0);
    ASSERT_EQ(Form1->MediaPlayer1->Mode(), mpPlaying);
    Form1->DeleteCurrentFile1->trigger();
    EXPECT_EQ(dialogs.texts(), QStringList{"File Deletion Not Allowed."});
    EXPECT_NE(Form1->MediaPlayer1->Mode(), mpPlaying);
    EXPECT_TRUE(QFileInfo::exists(wav));
}

// Each command from the window with its settings and answers; the folder and the trash after.
TEST_F(BrowserFileCommands, CommandsFromTheWindow) {
    struct Case {
        const char* what;
        QByteArray ini;
        QAction* TForm1::*item;
        QString target; // the save dialog's answer, a name in the folder; empty: cancelled
        QList<MessageButton> answers;
        QStringList files; // the folder afterwards
        QStringList trashed;
        QStringList messages; // after the confirmation, if one was asked
    };
    const Case cases[] = {
        {"delete to the trash without asking",
         "Allow_Del=1\nPrompt_Del=0\n",
         &TForm1::DeleteCurrentFile1,
         {},
         {},
         {"b.bmp"},
         {"a.bmp"},
         {}},
        {"shell delete without the trash is for good",
         "Allow_Del=1\nPrompt_Del=0\nSend_Recycle=0\n",
         &TForm1::DeleteCurrentFile1,
         {},
         {},
         {"b.bmp"},
         {},
         {}},
        {"plain delete is for good although the trash is chosen",
         "Allow_Del=1\nWinFileOps=0\n",
         &TForm1::DeleteCurrentFile1,
         {},
         {MessageButton::Yes},
         {"b.bmp"},
         {},
         {}},
        {"delete answered No",
         "Allow_Del=1\n",
         &TForm1::DeleteCurrentFile1,
         {},
         {MessageButton::No},
         {"a.bmp", "b.bmp"},
         {},
         {}},
        {"copy to a new name",
         "",
         &TForm1::CopyCurrentFile1,
         "new.bmp",
         {MessageButton::Yes},
         {"a.bmp", "b.bmp", "new.bmp"},
         {},
         {}},
        {"copy onto an existing file replaces it (plain)",
         "WinFileOps=0\nPrompt_Copy=0\n",
         &TForm1::CopyCurrentFile1,
         "b.bmp",
         {},
         {"a.bmp", "b.bmp"},
         {},
         {}},
        {"copy with the target dialog cancelled",
         "",
         &TForm1::CopyCurrentFile1,
         {},
         {},
         {"a.bmp", "b.bmp"},
         {},
         {}},
        {"copy not allowed",
         "Allow_Copy=0\n",
         &TForm1::CopyCurrentFile1,
         {},
         {},
         {"a.bmp", "b.bmp"},
         {},
         {"File Copying Not Allowed."}},
        {"shell move to a new name",
         "Prompt_Move=0\n",
         &TForm1::MoveCurrentFile1,
         "z.bmp",
         {},
         {"b.bmp", "z.bmp"},
         {},
         {}},
        {"plain move onto an existing file leaves both",
         "WinFileOps=0\nPrompt_Move=0\n",
         &TForm1::MoveCurrentFile1,
         "b.bmp",
         {},
         {"a.bmp", "b.bmp"},
         {},
         {"Unable to Move File"}},
        {"shell move onto an existing file replaces it",
         "Prompt_Move=0\n",
         &TForm1::MoveCurrentFile1,
         "b.bmp",
         {},
         {"b.bmp"},
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        windows.reset();
        QDir(platform::homeTrashPath().display()).removeRecursively();
        for (const QString& name : listed())
            QFile::remove(path(name));
        const QString a = file("a.bmp", "first file");
        file("b.bmp", "second file");
        start("[Options]\n" + c.ini);
        select(0);
        dialogs.messages.clear();
        dialogs.answers = c.answers;
        dialogs.fileAnswers = {c.target.isEmpty() ? QString() : path(c.target)};
        (Form1->*c.item)->trigger();
        EXPECT_EQ(listed(), c.files);
        EXPECT_EQ(trash(), c.trashed);
        QStringList shown = dialogs.texts();
        if (!c.answers.isEmpty() && !shown.isEmpty())
            shown.removeFirst(); // the confirmation
        EXPECT_EQ(shown, c.messages);
        // The list shows what the folder holds now.
        EXPECT_EQ(Form1->FileListBox1->Count(), c.files.size());
        // A target that was written holds the source's bytes.
        const bool written =
            !c.target.isEmpty() && c.messages.isEmpty() && QFileInfo::exists(path(c.target));
        if (written) {
            EXPECT_EQ(test::readFile(path(c.target)), "first file");
        }
        EXPECT_EQ(QFileInfo::exists(a), c.files.contains("a.bmp"));
    }
}

// A failed operation still refreshes the lists; a command that stops before it does not.
TEST_F(BrowserFileCommands, FailuresRefreshAndStopsDoNot) {
    const struct {
        const char* ops;
        const char* caption;
        const char* text; // the shell names the system's reason
    } cases[] = {
        {"WinFileOps=1\n", "Error Deleting File or Folder", "Cannot delete"},
        {"WinFileOps=0\n", "Glimra Message", "Unable to Delete File"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ops);
        windows.reset();
        for (const QString& name : listed())
            QFile::remove(path(name));
        const QString a = picture("a.bmp", 4, 4);
        const QString b = picture("b.bmp", 4, 4);
        start(QByteArray("[Options]\nAllow_Del=1\nPrompt_Del=0\nAllow_Copy=0\n") + c.ops);
        select(0);
        // The folder changes behind the list's back: the selected file vanishes.
        QFile::remove(a);
        picture("c.bmp", 4, 4);
        dialogs.messages.clear();
        Form1->DeleteCurrentFile1->trigger();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].caption, c.caption);
        EXPECT_TRUE(dialogs.messages[0].text.startsWith(c.text))
            << dialogs.texts().join("|").toStdString();
        EXPECT_EQ(Form1->FileListBox1->Count(), 2);
        EXPECT_EQ(Form1->CurrentFile.display(), b);
        // A refused copy leaves the list as it was.
        picture("d.bmp", 4, 4);
        Form1->CopyCurrentFile1->trigger();
        EXPECT_EQ(Form1->FileListBox1->Count(), 2);
        EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 0);
    }
}

TEST_F(BrowserFileCommands, CopyOrMoveOntoItselfKeepsTheFileByteForByte) {
    QByteArray bytes;
    for (int i = 0; i < 70000; ++i)
        bytes.append(char(i * 7));
    const QString a = file("a.bmp", bytes);
    file("b.bmp", "other");
    for (const char* ops : {"WinFileOps=1\n", "WinFileOps=0\n"}) {
        SCOPED_TRACE(ops);
        windows.reset();
        start(QByteArray("[Options]\n") + ops);
        select(0);
        for (QAction* item : {Form1->CopyCurrentFile1, Form1->MoveCurrentFile1}) {
            dialogs.messages.clear();
            dialogs.fileAnswers = {a}; // the name the dialog proposes
            item->trigger();
            EXPECT_EQ(dialogs.texts(), QStringList{"Source and destination are the same file."});
            EXPECT_EQ(test::readFile(a), bytes);
            EXPECT_EQ(Form1->FileListBox1->ItemIndex(), 0);
        }
    }
}

// The key of an "Open with" item, pressed in the browser window.
void pressKey(Qt::Key key) {
    for (QShortcut* shortcut : Form1->findChildren<QShortcut*>())
        if (shortcut->key() == QKeySequence(key))
            emit shortcut->activated();
}

TEST_F(BrowserFileCommands, OpenWithKeysRunTheCommandOnTheCurrentFile) {
    const QString odd = file("-my \"odd\" $name;`x`.bmp", "x");
    test::RecordingStarter starter;
    start("[Options]\nMenu1Descrip=Viewer\nMenu1Command=\"/opt/my viewer/view\" -a\n"
          "Menu2Descrip=Other\nMenu2Command=\n");
    // No file yet: the item stays disabled and nothing runs, without a message.
    pressKey(Qt::Key_F11);
    EXPECT_FALSE(Form1->Openwith1->isEnabled());
    EXPECT_EQ(Form1->Openwith1->text(), "Open with...");
    select(0);
    pressKey(Qt::Key_F11);
    ASSERT_EQ(starter.started.size(), 1);
    EXPECT_EQ(starter.started[0], (QStringList{"/opt/my viewer/view", "-a", odd}));
    // Item 2 has no command.
    pressKey(Qt::Key_F12);
    EXPECT_EQ(starter.started.size(), 1);
    EXPECT_FALSE(Form1->Openwith2->isEnabled());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    // The menu works its items out when it opens.
    select(-1);
    Form1->updateOpenWithItems();
    select(0);
    Form1->PopupMenu1->popup(QPoint(10, 10));
    EXPECT_EQ(Form1->Openwith1->text(), "Open with Viewer");
    EXPECT_TRUE(Form1->Openwith1->isEnabled());
    Form1->PopupMenu1->hide();
    // A command that cannot start is reported.
    starter.succeed = false;
    pressKey(Qt::Key_F11);
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Unable to Open Program.  Check Command Line in Options."});
}

TEST_F(BrowserFileCommands, ExploreFromHereOpensTheShownFolder) {
    test::RecordingStarter starter;
    start("[Options]\nExplorer=1\n");
    Form1->ExploreFromHere1->trigger();
    ASSERT_EQ(starter.started.size(), 1);
    EXPECT_EQ(starter.started[0].mid(1), QStringList{Form1->CurrentDir.display()});
    EXPECT_EQ(Form1->CurrentDir.display(), folder.path());
}

} // namespace
