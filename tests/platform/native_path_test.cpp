// Files whose names are no valid UTF-8 stay reachable for the QString-based readers.
#include "platform/native_path.h"
#include "test_env.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(ReadablePath, ValidNamesPassUnchangedOthersGetALink) {
    QTemporaryDir dir;
    const QString plain = dir.filePath("photo ü.png");
    test::writeFile(plain, "plain");
    EXPECT_EQ(platform::readablePath(QFile::encodeName(plain)), plain);

    const QByteArray odd = QFile::encodeName(dir.path()) + "/\xff\xfe.png";
    const int fd = ::open(odd.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "odd", 3), 3);
    ::close(fd);
    const QString readable = platform::readablePath(odd);
    EXPECT_TRUE(readable.endsWith(".png"));
    EXPECT_EQ(test::readFile(readable), "odd");
    EXPECT_NE(QFileInfo(readable).absolutePath(), dir.path()) << "the original stays untouched";
    EXPECT_EQ(platform::readablePath(odd), readable) << "the same file, the same link";
    EXPECT_TRUE(platform::readablePath({}).isEmpty());
}
