// Splitting command texts: what reaches the started program as its arguments.
#include "platform/process.h"

#include <gtest/gtest.h>

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
