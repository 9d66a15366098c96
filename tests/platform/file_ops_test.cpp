// Plain and shell file operations on real files in a temporary folder, with the trash in the
// private XDG data folder.
#include "fake_dialogs.h"
#include "platform/plain_file_ops.h"
#include "platform/shell_file_ops.h"
#include "platform/trash.h"
#include "test_env.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::ShellOperation;

platform::NativePath N(const QString& path) {
    return platform::NativePath::fromText(path);
}

QString trashFolder() {
    return platform::homeTrashPath().display();
}

class FileOps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QDir(trashFolder()).removeRecursively();
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
        return QDir(trashFolder() + "/files").entryList(QDir::Files, QDir::Name);
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

    ASSERT_TRUE(platform::plainCopy(N(from), N(to)));
    EXPECT_EQ(test::readFile(to), "new picture");
    EXPECT_EQ(test::readFile(from), "new picture");
    EXPECT_EQ(QFileInfo(to).permissions(), QFileInfo(from).permissions());
    EXPECT_EQ(QFileInfo(to).lastModified(), stamp);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(FileOps, CopyOntoItselfNeverTruncates) {
    const QString from = make("same.jpg", "keep me");
    EXPECT_FALSE(platform::plainCopy(N(from), N(from)));
    EXPECT_FALSE(platform::plainCopy(N(from), N(dir.path() + "/./same.jpg")));
    EXPECT_EQ(test::readFile(from), "keep me");
    EXPECT_FALSE(platform::replacingMove(N(from), N(from)));
    EXPECT_EQ(test::readFile(from), "keep me");
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(FileOps, FailedCopyLeavesTheTargetAsItWas) {
    const QString to = make("b.bmp", "old");
    EXPECT_FALSE(platform::plainCopy(N(path("missing.bmp")), N(to)));
    EXPECT_EQ(errno, ENOENT);
    // A copy cancelled half way leaves the target and no temporary file.
    const QString big = make("big.bmp", QByteArray(3 << 20, 'x'));
    EXPECT_FALSE(platform::plainCopy(N(big), N(to), [](qint64, qint64) { return false; }));
    EXPECT_EQ(test::readFile(to), "old");
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(FileOps, PlainMoveNeverReplaces) {
    const QString from = make("a.wav", "sound");
    const QString to = make("b.wav", "other");
    EXPECT_FALSE(platform::plainMove(N(from), N(to)));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(test::readFile(from), "sound");
    EXPECT_EQ(test::readFile(to), "other");

    ASSERT_TRUE(platform::plainMove(N(from), N(path("c.wav"))));
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(test::readFile(path("c.wav")), "sound");
}

TEST_F(FileOps, ReplacingMoveReplaces) {
    const QString from = make("a.wav", "sound");
    const QString to = make("b.wav", "other");
    ASSERT_TRUE(platform::replacingMove(N(from), N(to)));
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(test::readFile(to), "sound");
}

TEST_F(FileOps, PlainDeleteRemovesFilesButNotFolders) {
    const QString file = make("x.gif", "g");
    ASSERT_TRUE(platform::plainDelete(N(file)));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(platform::plainDelete(N(file)));
    EXPECT_EQ(errno, ENOENT);
    QDir(dir.path()).mkdir("sub");
    EXPECT_FALSE(platform::plainDelete(N(path("sub"))));
    EXPECT_TRUE(QFileInfo(path("sub")).isDir());
}

TEST_F(FileOps, TrashKeepsFileAndWhereItCameFrom) {
    const QString first = make("my photo.jpg", "one");
    ASSERT_TRUE(platform::moveToTrash(N(first)));
    const QString second = make("my photo.jpg", "two");
    ASSERT_TRUE(platform::moveToTrash(N(second)));
    EXPECT_FALSE(QFileInfo::exists(first));

    EXPECT_EQ(trashFiles(), (QStringList{"my photo.2.jpg", "my photo.jpg"}));
    EXPECT_EQ(test::readFile(trashFolder() + "/files/my photo.jpg"), "one");
    const QByteArray info = test::readFile(trashFolder() + "/info/my photo.2.jpg.trashinfo");
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=")) << info.constData();
    EXPECT_TRUE(info.contains(QUrl::toPercentEncoding(first, "/"))) << info.constData();
    EXPECT_TRUE(info.contains("my%20photo.jpg\nDeletionDate=")) << info.constData();
}

TEST_F(FileOps, ShellDeleteToTrashOrForGood) {
    const QString a = make("a.pcx", "a");
    ASSERT_TRUE(platform::shellFileOperation(nullptr, {ShellOperation::Delete, N(a), {}, true}));
    EXPECT_EQ(trashFiles(), QStringList{"a.pcx"});
    const QString b = make("b.pcx", "b");
    ASSERT_TRUE(platform::shellFileOperation(nullptr, {ShellOperation::Delete, N(b), {}, false}));
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_EQ(trashFiles(), QStringList{"a.pcx"});
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(FileOps, ShellFailureShowsItsOwnErrorBox) {
    EXPECT_FALSE(platform::shellFileOperation(
        nullptr, {ShellOperation::Copy, N(path("gone.tga")), N(path("x.tga")), false}));
    EXPECT_FALSE(platform::shellFileOperation(
        nullptr, {ShellOperation::Move, N(path("gone.tga")), N(path("x.tga")), false}));
    EXPECT_FALSE(platform::shellFileOperation(
        nullptr, {ShellOperation::Delete, N(path("gone.tga")), {}, true}));
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(dialogs.messages[0].caption, "Error Copying File or Folder");
    EXPECT_EQ(dialogs.messages[0].text, "Cannot copy gone.tga: No such file or directory.");
    EXPECT_EQ(dialogs.messages[1].caption, "Error Moving File or Folder");
    EXPECT_EQ(dialogs.messages[2].caption, "Error Deleting File or Folder");
    EXPECT_EQ(dialogs.messages[2].icon, platform::MessageIcon::Error);
}

TEST_F(FileOps, ProgressWindowShowsTheNameAsItIsAndCancelKeepsTheOldTarget) {
    const QString from = make("<b>big <img src=x>.bmp", QByteArray(3 << 20, 'b'));
    const QString to = make("old.bmp", "old");
    platform::setProgressWindowDelay(std::chrono::milliseconds(0));
    // Cancel is pressed as soon as the window shows.
    QString shownText;
    Qt::TextFormat shownFormat = Qt::AutoText;
    std::function<void()> pressCancel = [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(window);
                progress && progress->isVisible()) {
                shownText = progress->labelText();
                if (const QLabel* label = progress->findChild<QLabel*>())
                    shownFormat = label->textFormat();
                progress->cancel();
                return;
            }
        QTimer::singleShot(0, pressCancel);
    };
    QTimer::singleShot(0, pressCancel);
    const bool copied =
        platform::shellFileOperation(nullptr, {ShellOperation::Copy, N(from), N(to), false});
    platform::setProgressWindowDelay(std::chrono::milliseconds(500));
    EXPECT_FALSE(copied);
    EXPECT_EQ(shownText, "Copying <b>big <img src=x>.bmp");
    EXPECT_EQ(shownFormat, Qt::PlainText);
    EXPECT_EQ(test::readFile(to), "old");
    EXPECT_EQ(test::readFile(from).size(), 3 << 20);
    EXPECT_TRUE(leftovers().isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "a cancel is no failure to report";
}

TEST_F(FileOps, ShellCopyAndMoveReplaceExistingTargets) {
    const QString from = make("a.ras", "data");
    const QString to = make("b.ras", "old");
    ASSERT_TRUE(
        platform::shellFileOperation(nullptr, {ShellOperation::Copy, N(from), N(to), false}));
    EXPECT_EQ(test::readFile(to), "data");
    make("c.ras", "old");
    ASSERT_TRUE(platform::shellFileOperation(
        nullptr, {ShellOperation::Move, N(from), N(path("c.ras")), false}));
    EXPECT_FALSE(QFileInfo::exists(from));
    EXPECT_EQ(test::readFile(path("c.ras")), "data");
}

} // namespace

namespace {

TEST_F(FileOps, TrashKeepsExactAndOverlongNames) {
    // A name that is no valid UTF-8 beside its lossy twin: the right one goes.
    const QByteArray folder = QFile::encodeName(dir.path());
    test::writeFile(dir.filePath(QString::fromUtf8("a\xEF\xBF\xBD.jpg")), "twin");
    const platform::NativePath odd(folder + "/a\xff.jpg");
    ASSERT_EQ(::close(::open(odd.c_str(), O_CREAT | O_WRONLY, 0600)), 0);
    ASSERT_TRUE(platform::moveToTrash(odd));
    EXPECT_EQ(test::readFile(dir.filePath(QString::fromUtf8("a\xEF\xBF\xBD.jpg"))), "twin");
    const QByteArray trash = QFile::encodeName(trashFolder());
    EXPECT_EQ(::unlink((trash + "/files/a\xff.jpg").constData()), 0);
    const QByteArray record = trash + "/info/a\xff.jpg.trashinfo";
    char text[4096] = {};
    const int fd = ::open(record.constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_GT(::read(fd, text, sizeof text - 1), 0);
    ::close(fd);
    ::unlink(record.constData());
    EXPECT_TRUE(QByteArray(text).contains("/a%FF.jpg\n")) << text;

    // A name whose record would not fit a file name is trashed shorter; the record keeps it all.
    const QString name = QString(246, u'n') + ".jpeg";
    make(name, "long");
    ASSERT_TRUE(platform::moveToTrash(N(path(name))));
    EXPECT_FALSE(QFileInfo::exists(path(name)));
    const QString shortened = QString(240, u'n') + ".jpeg";
    EXPECT_EQ(test::readFile(trashFolder() + "/files/" + shortened), "long");
    EXPECT_TRUE(test::readFile(trashFolder() + "/info/" + shortened + ".trashinfo")
                    .contains("/" + name.toUtf8() + "\n"));
}

TEST(TrashName, NumbersAndShortensKeepingTheExtension) {
    using platform::trashName;
    EXPECT_EQ(trashName("photo.jpg", 1), "photo.jpg");
    EXPECT_EQ(trashName("photo.jpg", 2), "photo.2.jpg");
    EXPECT_EQ(trashName("README", 3), "README.3");
    EXPECT_EQ(trashName(".hidden", 2), ".hidden.2");
    const QByteArray longBase(300, 'x');
    EXPECT_EQ(trashName(longBase + ".png", 1), QByteArray(241, 'x') + ".png");
    EXPECT_EQ(trashName(longBase + ".png", 12), QByteArray(238, 'x') + ".12.png");
    // Two-byte characters are never cut in half.
    QByteArray accents;
    for (int i = 0; i < 150; ++i)
        accents += "\xC3\xA9";
    const QByteArray cut = trashName(accents + ".png", 1);
    EXPECT_EQ(cut.size(), 240 + 4);
    EXPECT_TRUE(cut.startsWith(accents.left(240)));
    EXPECT_LE(trashName(QByteArray(255, 'y'), 2).size(), platform::kTrashNameMax);
}

} // namespace
