// Delete, copy and move under the file-management rules, on real files with a private trash.
#include "fake_dialogs.h"
#include "options/file_operations.h"
#include "platform/trash.h"
#include "test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using options::FileCommand;
using options::FileRules;
using platform::MessageButton;

class FileCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(platform::homeTrashPath().display()).removeRecursively();
        source = dir.filePath("photo one.bmp");
        test::writeFile(source, "picture");
    }
    QStringList trash() const {
        return QDir(platform::homeTrashPath().display() + "/files").entryList(QDir::Files);
    }
    bool run(FileCommand c, const FileRules& rules) {
        const auto path = platform::NativePath::fromText(source);
        return options::runFileCommand(nullptr, c, path, path, rules);
    }

    QTemporaryDir dir;
    QString source;
    test::FakeDialogs dialogs;
};

TEST_F(FileCommands, DeleteMatrix) {
    struct Case {
        bool allow, prompt, recycle, shell;
        MessageButton answer;
        bool attempted, gone, inTrash;
        QStringList messages;
    };
    const Case cases[] = {
        {false,
         true,
         true,
         true,
         MessageButton::Yes,
         false,
         false,
         false,
         {"File Deletion Not Allowed."}},
        {true, true, true, true, MessageButton::No, false, false, false, {}},
        {true, true, true, true, MessageButton::Yes, true, true, true, {}},
        {true, false, true, true, MessageButton::Yes, true, true, true, {}},
        {true, false, false, true, MessageButton::Yes, true, true, false, {}},
        {true, false, true, false, MessageButton::Yes, true, true, false, {}}, // plain: for good
        {true, true, true, false, MessageButton::Yes, true, true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "allow " << c.allow << " prompt " << c.prompt
                                        << " recycle " << c.recycle << " shell " << c.shell);
        test::writeFile(source, "picture");
        QDir(platform::homeTrashPath().display()).removeRecursively();
        dialogs.messages.clear();
        dialogs.answers = {c.answer};
        EXPECT_EQ(run(FileCommand::Delete, {c.allow, c.prompt, c.recycle, c.shell}), c.attempted);
        EXPECT_EQ(!QFileInfo::exists(source), c.gone);
        EXPECT_EQ(trash() == QStringList{"photo one.bmp"}, c.inTrash);
        QStringList shown = dialogs.texts();
        if (c.prompt && c.allow) {
            ASSERT_FALSE(shown.isEmpty());
            EXPECT_EQ(shown.takeFirst(), "Delete File: " + source + "?");
            EXPECT_EQ(dialogs.messages[0].caption, "Confirm");
            EXPECT_EQ(dialogs.messages[0].buttons, (QList{MessageButton::Yes, MessageButton::No}));
        }
        EXPECT_EQ(shown, c.messages);
    }
}

TEST_F(FileCommands, PlainDeleteFailureIsReported) {
    QFile::remove(source);
    EXPECT_TRUE(run(FileCommand::Delete, {true, false, true, false}));
    EXPECT_EQ(dialogs.texts(), QStringList{"Unable to Delete File"});
    EXPECT_EQ(dialogs.messages[0].caption, "Glimra Message");
}

TEST_F(FileCommands, NothingSelectedDoesNothing) {
    EXPECT_FALSE(
        options::runFileCommand(nullptr, FileCommand::Delete, {}, {}, {true, true, true, true}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FileCommands, TargetDialogIsPreparedFromTheSource) {
    const auto r =
        options::fileOperationDialog(platform::NativePath::fromText(dir.filePath("scan.jpeg")),
                                     platform::NativePath("/x/other.tiff1"));
    EXPECT_EQ(r.title, "Glimra File Operation");
    EXPECT_EQ(r.fileName, "scan.jpeg");
    EXPECT_EQ(r.directory, dir.path() + "/");
    EXPECT_EQ(r.filter, "*.jpeg|*.jpeg");
    EXPECT_EQ(r.defaultSuffix, "tiff");
    EXPECT_TRUE(r.overwritePrompt && r.createPrompt && r.pathMustExist && r.fileMustExist &&
                r.hideReadOnly);
}

TEST_F(FileCommands, CopyAndMoveWithShellAndPlainCalls) {
    for (const bool shell : {true, false}) {
        for (const FileCommand c : {FileCommand::Copy, FileCommand::Move}) {
            SCOPED_TRACE(testing::Message()
                         << "shell " << shell << " move " << (c == FileCommand::Move));
            test::writeFile(source, "picture");
            const QString target = dir.filePath("copy.bmp");
            QFile::remove(target);
            dialogs.messages.clear();
            dialogs.fileAnswers = {target};
            dialogs.answers = {MessageButton::Yes};
            EXPECT_TRUE(run(c, {true, true, false, shell}));
            ASSERT_EQ(dialogs.texts().size(), 1);
            EXPECT_EQ(dialogs.texts()[0], QString(c == FileCommand::Copy ? "Copy" : "Move") +
                                              " File: " + source + " to " + target + "?");
            EXPECT_EQ(test::readFile(target), "picture");
            EXPECT_EQ(QFileInfo::exists(source), c == FileCommand::Copy);
        }
    }
}

TEST_F(FileCommands, ExistingTargets) {
    const QString target = dir.filePath("old.bmp");
    // Copy replaces, shell and plain alike.
    for (const bool shell : {true, false}) {
        test::writeFile(target, "old");
        dialogs.fileAnswers = {target};
        EXPECT_TRUE(run(FileCommand::Copy, {true, false, false, shell}));
        EXPECT_EQ(test::readFile(target), "picture");
    }
    // The plain move never replaces: both files stay, and the failure is reported.
    test::writeFile(target, "old");
    dialogs.messages.clear();
    dialogs.fileAnswers = {target};
    EXPECT_TRUE(run(FileCommand::Move, {true, false, false, false}));
    EXPECT_EQ(test::readFile(target), "old");
    EXPECT_EQ(test::readFile(source), "picture");
    EXPECT_EQ(dialogs.texts(), QStringList{"Unable to Move File"});
    // The shell move replaces.
    dialogs.fileAnswers = {target};
    EXPECT_TRUE(run(FileCommand::Move, {true, false, false, true}));
    EXPECT_EQ(test::readFile(target), "picture");
    EXPECT_FALSE(QFileInfo::exists(source));
}

TEST_F(FileCommands, OntoItselfKeepsTheFile) {
    for (const FileCommand c : {FileCommand::Copy, FileCommand::Move}) {
        for (const bool shell : {true, false}) {
            dialogs.messages.clear();
            dialogs.fileAnswers = {source};
            EXPECT_FALSE(run(c, {true, true, false, shell}));
            EXPECT_EQ(dialogs.texts(), QStringList{"Source and destination are the same file."});
            EXPECT_EQ(dialogs.messages[0].caption, "Glimra Message");
            EXPECT_EQ(test::readFile(source), "picture");
        }
    }
}

TEST_F(FileCommands, RefusalsCancelAndNo) {
    dialogs.fileAnswers = {};
    EXPECT_FALSE(run(FileCommand::Copy, {true, true, false, true})); // dialog cancelled
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_FALSE(run(FileCommand::Move, {false, true, false, true}));
    EXPECT_EQ(dialogs.texts(), QStringList{"File Moving Not Allowed."});
    EXPECT_TRUE(dialogs.fileDialogs.size() == 1) << "a refused command asks for no target";
    dialogs.messages.clear();
    dialogs.fileAnswers = {dir.filePath("x.bmp")};
    dialogs.answers = {MessageButton::No};
    EXPECT_FALSE(run(FileCommand::Copy, {true, true, false, false}));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("x.bmp")));
}

} // namespace
