// Writing JPEG files onto what already stands at the target: read-only files, links, names as
// long as a name can be, names that are not valid UTF-8.
#include "components/jpeg_writer.h"
#include "fixtures.h"
#include "platform/errors.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using platform::NativePath;

class JpegWriter : public ::testing::Test {
protected:
    void SetUp() override {
        picture.fill(Qt::red);
        ASSERT_TRUE(dir.isValid());
    }
    NativePath at(const QString& name) const { return NativePath::fromText(dir.filePath(name)); }
    static bool isJpeg(const QByteArray& bytes) { return bytes.startsWith("\xFF\xD8\xFF"); }

    QImage picture{16, 16, QImage::Format_RGB32};
    QTemporaryDir dir;
};

TEST_F(JpegWriter, ReadOnlyTargetIsRefusedWithTheSystemsReason) {
    const QString target = dir.filePath("kept.jpg");
    test::writeFile(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0444), 0);
    try {
        components::writeJpeg(picture, at("kept.jpg"));
        FAIL() << "a read-only file was replaced";
    } catch (const platform::GlimraError& e) {
        EXPECT_EQ(e.text(), "Cannot write " + target + ": Permission denied");
    }
    EXPECT_EQ(fixtures::readBytes(target), "old");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(JpegWriter, LinkIsWrittenThroughAndStaysALink) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    test::writeFile(dir.filePath("real/photo.jpg"), "old");
    ASSERT_EQ(::symlink("real/photo.jpg", QFile::encodeName(dir.filePath("link.jpg")).constData()),
              0);
    components::writeJpeg(picture, at("link.jpg"));
    EXPECT_TRUE(QFileInfo(dir.filePath("link.jpg")).isSymLink());
    EXPECT_TRUE(isJpeg(fixtures::readBytes(dir.filePath("real/photo.jpg"))));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(JpegWriter, LongestAndInvalidUtf8NamesSave) {
    const QString longName = QString(251, u'j') + ".jpg";
    components::writeJpeg(picture, at(longName));
    EXPECT_TRUE(isJpeg(fixtures::readBytes(dir.filePath(longName))));

    // The exact name is written, not its lossy twin.
    const QString twin = dir.filePath(QString::fromUtf8("a\xEF\xBF\xBD.jpg"));
    test::writeFile(twin, "twin");
    const NativePath odd(QFile::encodeName(dir.path()) + "/a\xff.jpg");
    components::writeJpeg(picture, odd);
    EXPECT_EQ(fixtures::readBytes(twin), "twin");
    const int fd = ::open(odd.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    char head[3] = {};
    EXPECT_EQ(::read(fd, head, 3), 3);
    ::close(fd);
    ::unlink(odd.c_str());
    EXPECT_TRUE(isJpeg(QByteArray(head, 3)));
}

} // namespace
