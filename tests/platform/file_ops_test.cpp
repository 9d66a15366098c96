// Plain and shell file operations on real files in a temporary folder, with the trash in the
// private XDG data folder.
#include "fake_dialogs.h"
#include "platform/plain_file_ops.h"
#include "platform/shell_file_ops.h"
#include "test_env.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using platform::ShellOperation;

class FileOps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(platform::homeTrashPath()).removeRecursively();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString make(const QString& name, const QByteArray& bytes) const {
        test::writeFile(path(name), bytes);
        return path(name);
    }
    QStringList leftovers() const {
        return QDir(dir.path())
            .entryList(QStringList{".glimra-copy-*"}, QDir::Files | QDir::Hidden);
    }
    QStringList trashFiles() const {
        return QDir(platform::homeTrashPath() + "/files").entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir dir;
    test::FakeDialogs dialogs;
};

TEST_F(FileOps, PlainCopyReplacesTargetAndKeepsModeAndTime) {
    const QString from = make("a.bmp", "new picture");
    const QString to = make("b.bmp", "old");
    ::chmod(QFile::encodeName(from).constData(), 0640);
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1000000000);
    QFile f(from);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(stamp, QFileDevice::FileModificationTime);
    f.close();

    ASSERT_TRUE(platform::plainCopy(from, to));
    EXPECT_EQ(test::readFile(to), "new picture");
    EXPECT_EQ(test::readFile(from), "new picture");
    EXPECT_EQ(QFileInfo(to).permissions(), QFileInfo(from).permissions());
    EXPECT_EQ(QFileInfo(to).lastModified(), stamp);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(FileOps, CopyOntoItselfNeverTruncates) {
    const QString from = make("same.jpg", "keep me");
    EXPECT_FALSE(platform::plainCopy(from, from));
    EXPECT_FALSE(platform::plainCopy(from, dir.path() + "/./same.jpg"));
    EXPECT_EQ(test::readFile(from), "keep me");
    EXPECT_FALSE(platform::replacingMove(from, from));
    EXPECT_EQ(test::readFile(from), "keep me");
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(FileOps, FailedCopyLeavesTheTargetAsItWas) {
    const QString to = make("b.bmp", "old");
    EXPECT_FALSE(platform::plainCopy(path("missing.bmp"), to));
    EXPECT_EQ(errno, ENOENT);
    // A copy cancelled half way leaves the target and no temporary file.
    const QString big = make("big.bmp", QByteArray(3 << 20, 'x'));
    EXPECT_FALSE(platform::plainCopy(big, to, [](qint64, qint64) { return false; }));
    EXPECT_EQ(test::readFile(to), "old");
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(FileOps, PlainMoveNeverReplaces) {
    const QString from = make("a.wav", "sound");
    const QString to = make("b.wav", "other");
    EXPECT_FALSE(platform::plainMove(from, to));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(test::readFile(from), "sound");
    EXPECT_EQ(test::readFile(to), "other");

    ASSERT_TRUE(platform::plainMove(from, path("c.wav")));
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(test::readFile(path("c.wav")), "sound");
}

TEST_F(FileOps, ReplacingMoveReplaces) {
    const QString from = make("a.wav", "sound");
    const QString to = make("b.wav", "other");
    ASSERT_TRUE(platform::replacingMove(from, to));
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(test::readFile(to), "sound");
}

TEST_F(FileOps, PlainDeleteRemovesFilesButNotFolders) {
    const QString file = make("x.gif", "g");
    ASSERT_TRUE(platform::plainDelete(file));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(platform::plainDelete(file));
    EXPECT_EQ(errno, ENOENT);
    QDir(dir.path()).mkdir("sub");
    EXPECT_FALSE(platform::plainDelete(path("sub")));
    EXPECT_TRUE(QFileInfo(path("sub")).isDir());
}

TEST_F(FileOps, TrashKeepsFileAndWhereItCameFrom) {
    const QString first = make("my photo.jpg", "one");
    ASSERT_TRUE(platform::moveToTrash(first));
    const QString second = make("my photo.jpg", "two");
    ASSERT_TRUE(platform::moveToTrash(second));
    EXPECT_FALSE(QFileInfo::exists(first));

    EXPECT_EQ(trashFiles(), (QStringList{"my photo.2.jpg", "my photo.jpg"}));
    EXPECT_EQ(test::readFile(platform::homeTrashPath() + "/files/my photo.jpg"), "one");
    const QByteArray info =
        test::readFile(platform::homeTrashPath() + "/info/my photo.2.jpg.trashinfo");
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=")) << info.constData();
    EXPECT_TRUE(info.contains(QUrl::toPercentEncoding(first, "/"))) << info.constData();
    EXPECT_TRUE(info.contains("my%20photo.jpg\nDeletionDate=")) << info.constData();
}

TEST_F(FileOps, ShellDeleteToTrashOrForGood) {
    const QString a = make("a.pcx", "a");
    ASSERT_TRUE(platform::shellFileOperation(nullptr, {ShellOperation::Delete, a, {}, true}));
    EXPECT_EQ(trashFiles(), QStringList{"a.pcx"});
    const QString b = make("b.pcx", "b");
    ASSERT_TRUE(platform::shellFileOperation(nullptr, {ShellOperation::Delete, b, {}, false}));
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_EQ(trashFiles(), QStringList{"a.pcx"});
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FileOps, ShellFailureShowsItsOwnErrorBox) {
    EXPECT_FALSE(platform::shellFileOperation(
        nullptr, {ShellOperation::Copy, path("gone.tga"), path("x.tga"), false}));
    EXPECT_FALSE(platform::shellFileOperation(
        nullptr, {ShellOperation::Move, path("gone.tga"), path("x.tga"), false}));
    EXPECT_FALSE(platform::shellFileOperation(
        nullptr, {ShellOperation::Delete, path("gone.tga"), {}, true}));
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(dialogs.messages[0].caption, "Error Copying File or Folder");
    EXPECT_EQ(dialogs.messages[0].text, "Cannot copy gone.tga: No such file or directory.");
    EXPECT_EQ(dialogs.messages[1].caption, "Error Moving File or Folder");
    EXPECT_EQ(dialogs.messages[2].caption, "Error Deleting File or Folder");
    EXPECT_EQ(dialogs.messages[2].icon, platform::MessageIcon::Error);
}

TEST_F(FileOps, ShellCopyAndMoveReplaceExistingTargets) {
    const QString from = make("a.ras", "data");
    const QString to = make("b.ras", "old");
    ASSERT_TRUE(platform::shellFileOperation(nullptr, {ShellOperation::Copy, from, to, false}));
    EXPECT_EQ(test::readFile(to), "data");
    make("c.ras", "old");
    ASSERT_TRUE(
        platform::shellFileOperation(nullptr, {ShellOperation::Move, from, path("c.ras"), false}));
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(test::readFile(path("c.ras")), "data");
}

} // namespace
