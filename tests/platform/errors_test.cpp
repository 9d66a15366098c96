// Input/output error texts and their system causes.
#include "platform/errors.h"

#include <cerrno>
#include <gtest/gtest.h>

TEST(InOutErrors, TextsFollowTheirCodes) {
    EXPECT_EQ(platform::inOutErrorText(2), "File not found");
    EXPECT_EQ(platform::inOutErrorText(3), "Invalid filename");
    EXPECT_EQ(platform::inOutErrorText(4), "Too many open files");
    EXPECT_EQ(platform::inOutErrorText(5), "File access denied");
    EXPECT_EQ(platform::inOutErrorText(100), "Read beyond end of file");
    EXPECT_EQ(platform::inOutErrorText(101), "Disk full");
    EXPECT_EQ(platform::inOutErrorText(106), "Invalid numeric input");
    EXPECT_EQ(platform::inOutErrorText(32), "I/O error 32");
}

TEST(InOutErrors, SystemErrorsMapOntoCodes) {
    const auto textOf = [](int err) {
        try {
            platform::raiseFromErrno(err);
        } catch (const platform::InOutError& e) {
            return e.text();
        }
        return QString();
    };
    EXPECT_EQ(textOf(ENOENT), "File not found");
    EXPECT_EQ(textOf(ENAMETOOLONG), "Invalid filename");
    EXPECT_EQ(textOf(EINVAL), "Invalid filename");
    EXPECT_EQ(textOf(EMFILE), "Too many open files");
    EXPECT_EQ(textOf(ENFILE), "Too many open files");
    EXPECT_EQ(textOf(EACCES), "File access denied");
    EXPECT_EQ(textOf(EPERM), "File access denied");
    EXPECT_EQ(textOf(ENOSPC), "Disk full");
    EXPECT_EQ(textOf(EIO), "I/O error 5") << "errno 5 is no access error";
    EXPECT_EQ(textOf(ELOOP), QString("I/O error %1").arg(ELOOP));
}
