// Moves and the trash across volumes, on small tmpfs file systems mounted in the test's own
// folder: a failed move never costs the user a file, moves work where hard links do not, and
// a file is trashed on its own volume.
#include "platform/plain_file_ops.h"
#include "platform/trash.h"
#include "scratch_mounts.h"
#include "test_env.h"
#include "without_links.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::NativePath;

NativePath N(const QString& path) {
    return NativePath::fromText(path);
}

ino_t inodeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

class CrossVolume : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(platform::homeTrashPath().display()).removeRecursively();
        a = mounts.tmpfs(dir.filePath("a"));
        b = mounts.tmpfs(dir.filePath("b"));
    }
    void TearDown() override {
        for (const QString& file : immutable)
            test::setImmutable(file, false);
    }
    // Everything in a folder, hidden files included, but the trash folders.
    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    }
    QStringList homeTrash() const {
        return entries(platform::homeTrashPath().display() + "/files");
    }
    void makeImmutable(const QString& file) {
        if (!test::setImmutable(file, true))
            GTEST_SKIP() << "this file system cannot mark files immutable";
        immutable << file;
    }

    QTemporaryDir dir;
    test::ScratchMounts mounts; // unmounted before the folder goes
    QString a, b;
    QStringList immutable;
};

TEST_F(CrossVolume, ReplacingMoveReplacesAndLeavesNothingBehind) {
    SKIP_UNLESS_MOUNTED(b);
    test::writeFile(a + "/x.jpg", "new");
    test::writeFile(b + "/x.jpg", "old");
    ASSERT_TRUE(platform::replacingMove(N(a + "/x.jpg"), N(b + "/x.jpg")));
    EXPECT_EQ(test::readFile(b + "/x.jpg"), "new");
    EXPECT_EQ(entries(a), QStringList());
    EXPECT_EQ(entries(b), QStringList{"x.jpg"});
}

TEST_F(CrossVolume, ReplacingMoveOfASourceThatCannotGoKeepsBothFiles) {
    SKIP_UNLESS_MOUNTED(b);
    test::writeFile(a + "/x.jpg", "source");
    test::writeFile(b + "/x.jpg", "old target");
    const QString view = mounts.readOnlyView(a, dir.filePath("ro"));
    SKIP_UNLESS_MOUNTED(view);
    // The read-only view lets the file be read but never removed: nothing is replaced.
    EXPECT_FALSE(platform::replacingMove(N(view + "/x.jpg"), N(b + "/x.jpg")));
    EXPECT_EQ(errno, EROFS);
    EXPECT_EQ(test::readFile(a + "/x.jpg"), "source");
    EXPECT_EQ(test::readFile(b + "/x.jpg"), "old target");
    EXPECT_EQ(entries(b), QStringList{"x.jpg"});
    // The same for a move that never replaces: no copy stays behind.
    EXPECT_FALSE(platform::plainMove(N(view + "/x.jpg"), N(b + "/new.jpg")));
    EXPECT_EQ(errno, EROFS);
    EXPECT_EQ(entries(b), QStringList{"x.jpg"});
}

TEST_F(CrossVolume, SourceThatRefusesRemovalAfterTheCopyBringsTheOldTargetBack) {
    SKIP_UNLESS_MOUNTED(b);
    test::writeFile(a + "/x.jpg", "source");
    test::writeFile(b + "/x.jpg", "old target");
    const ino_t oldTarget = inodeOf(b + "/x.jpg");
    makeImmutable(a + "/x.jpg");
    EXPECT_FALSE(platform::replacingMove(N(a + "/x.jpg"), N(b + "/x.jpg")));
    EXPECT_EQ(errno, EPERM);
    EXPECT_EQ(test::readFile(a + "/x.jpg"), "source");
    EXPECT_EQ(test::readFile(b + "/x.jpg"), "old target");
    EXPECT_EQ(inodeOf(b + "/x.jpg"), oldTarget) << "the old file itself, not a copy";
    EXPECT_EQ(entries(b), QStringList{"x.jpg"});
    // A move that never replaces removes the copy it made: the file is never under both names.
    EXPECT_FALSE(platform::plainMove(N(a + "/x.jpg"), N(b + "/y.jpg")));
    EXPECT_EQ(errno, EPERM);
    EXPECT_EQ(entries(b), QStringList{"x.jpg"});
}

TEST_F(CrossVolume, FullTargetVolumeLeavesSourceAndOldTargetIntact) {
    SKIP_UNLESS_MOUNTED(b);
    const QString small = mounts.tmpfs(dir.filePath("small"), 1024);
    SKIP_UNLESS_MOUNTED(small);
    const QByteArray big(2 << 20, 'p');
    test::writeFile(a + "/big.bmp", big);
    test::writeFile(small + "/big.bmp", "old target");
    EXPECT_FALSE(platform::replacingMove(N(a + "/big.bmp"), N(small + "/big.bmp")));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(test::readFile(a + "/big.bmp"), big);
    EXPECT_EQ(test::readFile(small + "/big.bmp"), "old target");
    EXPECT_EQ(entries(small), QStringList{"big.bmp"});
}

TEST_F(CrossVolume, SourceChangedDuringTheCopyIsNotRemoved) {
    SKIP_UNLESS_MOUNTED(b);
    const QString source = a + "/x.bmp";
    test::writeFile(source, QByteArray(3 << 20, 's'));
    test::writeFile(b + "/x.bmp", "old target");
    bool appended = false;
    const auto writeMore = [&](qint64, qint64) {
        if (!appended) {
            QFile f(source);
            appended = f.open(QIODevice::Append) && f.write("more") == 4;
        }
        return true;
    };
    EXPECT_FALSE(platform::replacingMove(N(source), N(b + "/x.bmp"), writeMore));
    EXPECT_TRUE(appended);
    EXPECT_TRUE(test::readFile(source).endsWith("more"));
    EXPECT_EQ(test::readFile(b + "/x.bmp"), "old target");
    EXPECT_EQ(entries(b), QStringList{"x.bmp"});
}

TEST_F(CrossVolume, TwoViewsOfOneFolderNeverTurnAMoveIntoADeletion) {
    SKIP_UNLESS_MOUNTED(b);
    test::writeFile(a + "/x.gif", "only copy");
    const QString view = mounts.bindView(a, dir.filePath("view"));
    SKIP_UNLESS_MOUNTED(view);
    EXPECT_FALSE(platform::replacingMove(N(a + "/x.gif"), N(view + "/x.gif")));
    EXPECT_FALSE(platform::plainMove(N(a + "/x.gif"), N(view + "/x.gif")));
    EXPECT_EQ(test::readFile(a + "/x.gif"), "only copy");
    EXPECT_EQ(entries(a), QStringList{"x.gif"});
}

TEST_F(CrossVolume, PlainMoveWorksWhereHardLinksAreRefused) {
    SKIP_UNLESS_MOUNTED(b);
    test::writeFile(a + "/x.wav", "sound");
    test::writeFile(b + "/taken.wav", "other");
    // Across volumes, as onto a FAT stick.
    auto r = test::withoutHardLinks(
        false, [&] { return platform::plainMove(N(a + "/x.wav"), N(b + "/x.wav")); });
    if (!r)
        GTEST_SKIP() << "system call filters are refused here";
    EXPECT_TRUE(r->ok) << std::strerror(r->error);
    EXPECT_EQ(test::readFile(b + "/x.wav"), "sound");
    EXPECT_FALSE(QFileInfo::exists(a + "/x.wav"));
    // Within a file system that can neither link nor refuse a target in a rename.
    r = test::withoutHardLinks(
        true, [&] { return platform::plainMove(N(b + "/x.wav"), N(b + "/y.wav")); });
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->ok) << std::strerror(r->error);
    EXPECT_EQ(test::readFile(b + "/y.wav"), "sound");
    // ... and still never replaces.
    r = test::withoutHardLinks(
        true, [&] { return platform::plainMove(N(b + "/y.wav"), N(b + "/taken.wav")); });
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->ok);
    EXPECT_EQ(r->error, EEXIST);
    EXPECT_EQ(test::readFile(b + "/y.wav"), "sound");
    EXPECT_EQ(test::readFile(b + "/taken.wav"), "other");
    EXPECT_EQ(entries(b), (QStringList{"taken.wav", "y.wav"}));
}

TEST_F(CrossVolume, TrashOnAnotherVolumeIsARenameIntoItsOwnTrash) {
    SKIP_UNLESS_MOUNTED(b);
    test::writeFile(a + "/sub/my photo.jpg", "picture");
    const ino_t inode = inodeOf(a + "/sub/my photo.jpg");
    ASSERT_TRUE(platform::moveToTrash(N(a + "/sub/my photo.jpg")));
    const QString trash = a + "/.Trash-" + QString::number(::geteuid());
    EXPECT_EQ(inodeOf(trash + "/files/my photo.jpg"), inode) << "renamed, not copied";
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(trash).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    const QByteArray info = test::readFile(trash + "/info/my photo.jpg.trashinfo");
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=sub/my%20photo.jpg\nDeletionDate="))
        << info.constData();
    EXPECT_TRUE(homeTrash().isEmpty());
}

TEST_F(CrossVolume, TrashUsesTheSharedTrashOnlyWhenItIsSafe) {
    SKIP_UNLESS_MOUNTED(b);
    const QString uid = QString::number(::geteuid());
    // A shared trash without the sticky bit could hand the file to another user.
    ASSERT_TRUE(QDir().mkpath(a + "/.Trash"));
    test::writeFile(a + "/one.png", "1");
    ASSERT_TRUE(platform::moveToTrash(N(a + "/one.png")));
    EXPECT_TRUE(QFileInfo::exists(a + "/.Trash-" + uid + "/files/one.png"));
    // With the sticky bit it is used, in a folder of the user's own.
    ASSERT_EQ(::chmod(QFile::encodeName(a + "/.Trash").constData(), 01777), 0);
    test::writeFile(a + "/two.png", "2");
    ASSERT_TRUE(platform::moveToTrash(N(a + "/two.png")));
    EXPECT_EQ(test::readFile(a + "/.Trash/" + uid + "/files/two.png"), "2");
    EXPECT_TRUE(QFileInfo::exists(a + "/.Trash/" + uid + "/info/two.png.trashinfo"));
    EXPECT_TRUE(homeTrash().isEmpty());
}

TEST_F(CrossVolume, VolumeWithoutAUsableTrashCopiesIntoTheHomeTrashAndCanBeCancelled) {
    SKIP_UNLESS_MOUNTED(b);
    // A file where the volume's trash folder would go: neither trash can be used.
    test::writeFile(a + "/.Trash-" + QString::number(::geteuid()), "not a folder");
    test::writeFile(a + "/clip.avi", QByteArray(3 << 20, 'v'));
    EXPECT_FALSE(platform::moveToTrash(N(a + "/clip.avi"), [](qint64, qint64) { return false; }));
    EXPECT_EQ(errno, ECANCELED);
    EXPECT_EQ(test::readFile(a + "/clip.avi").size(), 3 << 20);
    EXPECT_TRUE(homeTrash().isEmpty());
    EXPECT_TRUE(entries(platform::homeTrashPath().display() + "/info").isEmpty());

    qint64 reported = 0;
    ASSERT_TRUE(platform::moveToTrash(N(a + "/clip.avi"), [&](qint64 done, qint64) {
        reported = done;
        return true;
    }));
    EXPECT_EQ(reported, 3 << 20);
    EXPECT_FALSE(QFileInfo::exists(a + "/clip.avi"));
    EXPECT_EQ(homeTrash(), QStringList{"clip.avi"});
    const QByteArray info =
        test::readFile(platform::homeTrashPath().display() + "/info/clip.avi.trashinfo");
    EXPECT_TRUE(info.contains("Path=" + QFile::encodeName(a) + "/clip.avi\n")) << info.constData();
}

} // namespace
