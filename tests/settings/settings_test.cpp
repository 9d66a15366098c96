// The settings accessor: value forms, defaults and the errors of reads and writes.
#include "platform/errors.h"
#include "settings/settings.h"
#include "test_env.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using settings::parseInteger;

TEST(ParseInteger, AcceptsDecimalAndBothHexadecimalForms) {
    EXPECT_EQ(parseInteger("0"), 0);
    EXPECT_EQ(parseInteger("149"), 149);
    EXPECT_EQ(parseInteger("-20"), -20);
    EXPECT_EQ(parseInteger("+5"), 5);
    EXPECT_EQ(parseInteger("  42"), 42);
    EXPECT_EQ(parseInteger("0x0"), 0);
    EXPECT_EQ(parseInteger("0X1f"), 31);
    EXPECT_EQ(parseInteger("$FF"), 255);
    EXPECT_EQ(parseInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(parseInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseInteger("-2147483648"), -2147483647 - 1);
}

TEST(ParseInteger, RejectsEverythingElse) {
    for (const char* bad : {"", " ", "0x", "$", "yes", "Center", "12a", "1 ", "1.5", "0x1g",
                            "2147483648", "$100000000", "--1", "١٢"})
        EXPECT_FALSE(parseInteger(QString::fromUtf8(bad)).has_value()) << bad;
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override { test::writeIni({}); }
    void TearDown() override {
        QFile::setPermissions(test::iniPath(), QFile::ReadOwner | QFile::WriteOwner);
        test::writeIni({});
    }
    settings::Settings ini;
};

TEST_F(SettingsFile, FlagsReadEveryIntegerFormAndFallBackOnBadText) {
    test::writeIni("[Options]\nExplorer=yes\nWinFileOps=0x0\nAllow_Del=2\nPrompt_Del=$0\n"
                   "Allow_Copy=0x\nPrompt_Copy=-1\n");
    namespace k = settings::keys;
    EXPECT_TRUE(ini.readFlag(k::Explorer));    // "yes" is no integer: the default, true
    EXPECT_FALSE(ini.readFlag(k::WinFileOps)); // 0x0 is zero
    EXPECT_TRUE(ini.readFlag(k::AllowDel));    // any non-zero value
    EXPECT_FALSE(ini.readFlag(k::PromptDel));
    EXPECT_TRUE(ini.readFlag(k::AllowCopy)); // "0x" alone is no integer: default true
    EXPECT_TRUE(ini.readFlag(k::PromptCopy));
    EXPECT_FALSE(ini.readFlag(k::PasswordProtect)); // missing: default false
}

TEST_F(SettingsFile, IntegersAreStrict) {
    test::writeIni("[Options]\nDisplay=7\n[Locations]\nForm1Left=20\nForm1Top=Center\n");
    EXPECT_EQ(ini.readInteger(settings::keys::Display), 7);
    EXPECT_EQ(ini.readInteger(settings::keys::Form1Height), 311);
    try {
        ini.readInteger(settings::keys::Form1Top);
        FAIL() << "no error raised";
    } catch (const platform::GlimraError& e) {
        EXPECT_EQ(e.text(), "'Center' is not a valid integer value");
    }
}

TEST_F(SettingsFile, WritesFlagsAsOneAndZero) {
    ini.writeFlag(settings::keys::AllowDel, true);
    ini.writeFlag(settings::keys::PromptDel, false);
    EXPECT_EQ(test::readIni(), "[Options]\nAllow_Del=1\nPrompt_Del=0\n");
}

TEST_F(SettingsFile, RefusedWriteRaisesAndKeepsEarlierKeys) {
    ini.writeText(settings::keys::StartupDir, "/a");
    QFile::setPermissions(test::iniPath(), QFile::ReadOwner);
    try {
        ini.writeText(settings::keys::Menu1Descrip, "Editor");
        FAIL() << "no error raised";
    } catch (const platform::GlimraError& e) {
        EXPECT_EQ(e.text(), "Unable to write to GLIM.INI");
    }
    EXPECT_EQ(test::readIni(), "[Options]\nStartupDir=/a\n");
}

} // namespace
