// The options dialog's checks: which messages, in which order.
#include "options/option_checks.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using options::optionCheckMessages;
using options::OptionTexts;

TEST(OptionChecks, EmptyOrCompleteItemsPass) {
    EXPECT_TRUE(optionCheckMessages({}).isEmpty());
    EXPECT_TRUE(optionCheckMessages({"Edit", "gimp", "View", "eog", false, "", ""}).isEmpty());
    EXPECT_TRUE(optionCheckMessages({" ", " ", "", "", true, "pw", "pw"}).isEmpty());
}

TEST(OptionChecks, SeveralFailuresInTableOrder) {
    // Item 1 has a command without description, item 2 a description without command.
    EXPECT_EQ(optionCheckMessages({"", "gimp", "View", "", false, "", ""}),
              (QStringList{"Must Enter Description for command line on Open with Item 1.",
                           "Must Enter Command Line on Open with Item 2."}));
    EXPECT_EQ(optionCheckMessages({"Edit", "", "", "eog", false, "", ""}),
              (QStringList{"Must Enter Description for command line on Open with Item 2.",
                           "Must Enter Command Line on Open with Item 1."}));
}

TEST(OptionChecks, PasswordRules) {
    EXPECT_EQ(optionCheckMessages({"", "", "", "", true, "", ""}),
              QStringList{"Must Enter Password or uncheck Password Protection"});
    EXPECT_EQ(optionCheckMessages({"", "", "", "", true, "secret", ""}),
              (QStringList{"Must Enter Verification Password",
                           "Verification Password and Password do not match."}));
    EXPECT_EQ(optionCheckMessages({"", "", "", "", true, "Secret", "secret"}),
              QStringList{"Verification Password and Password do not match."});
    EXPECT_EQ(optionCheckMessages({"", "", "", "", true, "secret", "secret "}),
              QStringList{"Verification Password and Password do not match."});
    // Filled password fields are verified even with protection off.
    EXPECT_EQ(optionCheckMessages({"", "", "", "", false, "", "x"}),
              QStringList{"Verification Password and Password do not match."});
}

TEST(StartupDirCheck, WarnsForAnythingButAFolderOrOneBlank) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("sub");
    const QString before = QDir::currentPath();
    EXPECT_FALSE(options::startupDirNeedsWarning(" "));
    EXPECT_FALSE(options::startupDirNeedsWarning(dir.path() + "/sub"));
    EXPECT_TRUE(options::startupDirNeedsWarning(""));
    EXPECT_TRUE(options::startupDirNeedsWarning("  "));
    EXPECT_TRUE(options::startupDirNeedsWarning(dir.path() + "/gone"));
    EXPECT_EQ(QDir::currentPath(), before);
}

} // namespace
