// The settings accessor: value forms, defaults and the errors of reads and writes.
#include "fake_dialogs.h"
#include "platform/errors.h"
#include "settings/browser_options.h"
#include "settings/settings.h"
#include "test_env.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

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

// Every option of the record has its own key: a file with every option away from its default
// reads into a record where every member differs from a default read, and writes back the same
// text. A row missing from the table, or two rows sharing a member, breaks one of the two.
TEST_F(SettingsFile, BrowserOptionsTravelThroughTheKeyTableWhole) {
    const QByteArray file = "[Options]\nExplorer=0\nWinFileOps=0\nDisplay=2\nStartupDir=/s\n"
                            "Menu1Descrip=d1\nMenu1Command=c1\nMenu2Descrip=d2\nMenu2Command=c2\n"
                            "Password_Protect=1\nString1=pw\nAllow_Del=1\nPrompt_Del=0\n"
                            "Send_Recycle=0\nAllow_Copy=0\nPrompt_Copy=0\nAllow_Move=0\n"
                            "Prompt_Move=0\n";
    settings::BrowserOptions defaults;
    settings::readBrowserOptions(ini, defaults);
    EXPECT_EQ(defaults.ExecDir, settings::defaultExecDir());
    test::writeIni(file + "ExecDir=/x\n");
    settings::BrowserOptions read;
    settings::readBrowserOptions(ini, read);
    EXPECT_EQ(read.ExecDir, "/x");
    for (const settings::BrowserOption& o : settings::kBrowserOptions)
        std::visit([&](auto member) { EXPECT_NE(read.*member, defaults.*member) << o.key.key; },
                   o.member);

    test::writeIni({});
    settings::writeBrowserOptions(ini, read);
    EXPECT_EQ(test::readIni(), file) << "ExecDir is never written";
}

TEST_F(SettingsFile, BrowserOptionsStopAtABadNumberAndKeepAnUnchosenFilter) {
    test::writeIni("[Options]\nExplorer=0\nDisplay=all\nStartupDir=/s\n");
    settings::BrowserOptions o;
    o.UseExplorer = true;
    o.StartupDir = "/old";
    EXPECT_THROW(settings::readBrowserOptions(ini, o), platform::GlimraError);
    EXPECT_FALSE(o.UseExplorer);
    EXPECT_EQ(o.StartupDir, "/old");

    // No filter chosen: the file keeps the number it has.
    test::writeIni("[Options]\nDisplay=7\n");
    o.DisplayFilter = -1;
    settings::writeBrowserOptions(ini, o);
    EXPECT_TRUE(test::readIni().startsWith("[Options]\nDisplay=7\nExplorer=0\n"));
}

TEST_F(SettingsFile, RestoredLocationsAreTheDefaultsWithTheBrowserCentred) {
    settings::writeDefaultLocations(ini);
    EXPECT_EQ(test::readIni(), "[Locations]\nNavBarLeft=0\nNavBarTop=0\nForm2Left=0\nForm2Top=0\n"
                               "Splitter1Left=149\nForm1Left=Center\nForm1Top=Center\n"
                               "Form1Width=516\nForm1Height=311\n");
    static_assert(settings::defaultNumber(settings::keys::Form1Width) == 516);
}

} // namespace

namespace {

TEST_F(SettingsFile, OneOperationReadsTheFileOnce) {
    test::writeIni("[Options]\nDisplay=2\nMenu1Command=\"\"/opt/my app/viewer\"\"\n");
    // Every opening of the file is counted.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(test::iniPath()).constData(), IN_OPEN),
              0);
    const auto opens = [watch] {
        alignas(inotify_event) char events[4096];
        const ssize_t n = ::read(watch, events, sizeof events);
        return n <= 0 ? 0 : int(n / sizeof(inotify_event));
    };
    const settings::Settings operation;
    settings::BrowserOptions options;
    settings::readBrowserOptions(operation, options);
    EXPECT_EQ(options.DisplayFilter, 2);
    EXPECT_EQ(options.Menu1Command, "\"/opt/my app/viewer\"");
    EXPECT_EQ(operation.readInteger(settings::keys::Form1Width), 516);
    EXPECT_EQ(opens(), 1);
    ::close(watch);

    // A change of the file is seen, and so is the operation's own write.
    test::writeIni("[Options]\nDisplay=1\n");
    EXPECT_EQ(operation.readInteger(settings::keys::Display), 1);
    operation.writeText(settings::keys::Menu2Command, " typed with blanks ");
    EXPECT_EQ(operation.readText(settings::keys::Menu2Command), " typed with blanks ");
    EXPECT_EQ(settings::Settings().readText(settings::keys::Menu2Command), " typed with blanks ");
}

TEST_F(SettingsFile, UnreadableFileIsReportedOnceAndTheDefaultsUsed) {
    test::FakeDialogs dialogs;
    EXPECT_EQ(settings::Settings().readInteger(settings::keys::Form1Width), 516); // a good start
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(test::iniPath()).constData()), 0);
    EXPECT_EQ(settings::Settings().readInteger(settings::keys::Form1Width), 516);
    EXPECT_TRUE(settings::Settings().readFlag(settings::keys::Explorer));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].caption, "Glimra Version 2.0");
    EXPECT_EQ(dialogs.messages[0].text,
              "Unable to read GLIM.INI (not a regular file); the default settings are used.");
    // Once the file is good again, a new problem is reported again.
    test::writeIni("[Options]\nDisplay=2\n");
    EXPECT_EQ(settings::Settings().readInteger(settings::keys::Display), 2);
    test::writeIni({});
    ASSERT_EQ(::mkfifo(QFile::encodeName(test::iniPath()).constData(), 0600), 0);
    EXPECT_EQ(settings::Settings().readInteger(settings::keys::Display), 0);
    EXPECT_EQ(dialogs.messages.size(), 2);
}

} // namespace
