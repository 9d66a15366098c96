// Starting programs: splitting command texts, and what reaches the started program.
#include "platform/process.h"
#include "test_env.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(CommandLine, SplitsByDoubleQuoteRules) {
    using platform::splitCommandLine;
    EXPECT_EQ(splitCommandLine("gimp"), QStringList{"gimp"});
    EXPECT_EQ(splitCommandLine("  gimp   -n  "), (QStringList{"gimp", "-n"}));
    EXPECT_EQ(splitCommandLine("\"/opt/my editor/run\" --new \"a b\""),
              (QStringList{"/opt/my editor/run", "--new", "a b"}));
    EXPECT_EQ(splitCommandLine("echo $HOME;rm `x`"), (QStringList{"echo", "$HOME;rm", "`x`"}));
    EXPECT_TRUE(splitCommandLine("").isEmpty());
}

TEST(CommandLine, FindsProgramsOnPath) {
    EXPECT_FALSE(platform::findProgram({"no-such-program-glimra", "sh"}).isEmpty());
    EXPECT_TRUE(platform::findProgram({"no-such-program-glimra"}).isEmpty());
}

// The starter itself, on a script the test writes into its own folder (no program of the
// desktop is started): each argument arrives as its exact bytes, one argument each.
TEST(ProcessStart, ArgumentsArriveAsTheirBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray script = folder + "/record";
    test::writeNativeFile(script, "#!/bin/sh\nprintf '%s|' \"$@\" > \"$0.out\"\n");
    ASSERT_EQ(::chmod(script.constData(), 0700), 0);
    const QByteArray odd = folder + "/a\xff b;$(x).jpg";
    ASSERT_TRUE(platform::processStarter().startDetached(script, {"-n", odd}));
    // Detached: it finishes on its own.
    QDeadlineTimer deadline(10000);
    while (test::readNativeFile(script + ".out").isEmpty() && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_EQ(test::readNativeFile(script + ".out"), "-n|" + odd + "|");
    EXPECT_FALSE(platform::processStarter().startDetached(folder + "/no-such-program", {}));
}
