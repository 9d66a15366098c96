// The private-profile file: lookups, value forms and writes that keep the rest of the file.
#include "platform/profile.h"
#include "test_env.h"

#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::getPrivateProfileString;
using platform::writePrivateProfileString;

namespace {

const QString kIni = QStringLiteral("GLIM.INI");

QString read(const char* section, const char* key, const char* def = "dflt") {
    return getPrivateProfileString(QString::fromLatin1(section), QString::fromLatin1(key),
                                   QString::fromLatin1(def), kIni);
}

bool write(const char* section, const char* key, const QString& value) {
    return writePrivateProfileString(QString::fromLatin1(section), QString::fromLatin1(key), value,
                                     kIni);
}

class Profile : public ::testing::Test {
protected:
    void SetUp() override { test::writeIni({}); }
    void TearDown() override {
        QFile::setPermissions(test::iniPath(), QFile::ReadOwner | QFile::WriteOwner);
        test::writeIni({});
    }
};

TEST_F(Profile, BareNameLivesInTheConfigFolder) {
    EXPECT_EQ(platform::profilePath(kIni), qEnvironmentVariable("XDG_CONFIG_HOME") + "/GLIM.INI");
}

TEST_F(Profile, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(read("Options", "Explorer"), "dflt");
    test::writeIni("[Other]\nExplorer=0\n");
    EXPECT_EQ(read("Options", "Explorer"), "dflt");
    test::writeIni("[Options]\nDisplay=2\n");
    EXPECT_EQ(read("Options", "Explorer"), "dflt");
    EXPECT_EQ(read("Options", "Display"), "2");
}

TEST_F(Profile, NamesMatchWithoutCaseAndBlanksAreDropped) {
    test::writeIni("[ options ]\n  EXPLORER  =   yes please  \n[Locations]\nForm1Left=Center\n");
    EXPECT_EQ(read("Options", "Explorer"), "yes please");
    EXPECT_EQ(read("LOCATIONS", "form1left"), "Center");
    // A key of another section is not found.
    EXPECT_EQ(read("Locations", "Explorer"), "dflt");
}

TEST_F(Profile, MatchingQuotesAreRemoved) {
    test::writeIni("[A]\nd=\"C:\\Program Files\"\ns='x'\nmixed=\"x'\nlone=\"\n");
    EXPECT_EQ(read("A", "d"), "C:\\Program Files");
    EXPECT_EQ(read("A", "s"), "x");
    EXPECT_EQ(read("A", "mixed"), "\"x'");
    EXPECT_EQ(read("A", "lone"), "\"");
}

TEST_F(Profile, WindowsLineEndingsAreRead) {
    test::writeIni("[Options]\r\nStartupDir=/home/u/Pictures\r\nDisplay=1\r\n");
    EXPECT_EQ(read("Options", "StartupDir"), "/home/u/Pictures");
    EXPECT_EQ(read("Options", "Display"), "1");
}

TEST_F(Profile, LongValuesAreCutAt1023Characters) {
    const QString longValue(2000, u'x');
    ASSERT_TRUE(write("Options", "Menu1Command", longValue));
    EXPECT_EQ(read("Options", "Menu1Command"), QString(1023, u'x'));
    // The file itself keeps the whole value.
    EXPECT_TRUE(test::readIni().contains(QByteArray(2000, 'x')));
}

TEST_F(Profile, WriteCreatesAPrivateFile) {
    ASSERT_TRUE(write("Options", "StartupDir", "/tmp"));
    EXPECT_EQ(test::readIni(), "[Options]\nStartupDir=/tmp\n");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(test::iniPath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(Profile, WriteKeepsEveryOtherLine) {
    test::writeIni("; my settings\n[Options]\n; the viewer\nExplorer=1\n\nDisplay = 2\n\n"
                   "[Locations]\nForm1Left=3\n");
    ASSERT_TRUE(write("Options", "display", "0"));
    ASSERT_TRUE(write("Options", "StartupDir", "/pics"));
    ASSERT_TRUE(write("Locations", "Form1Top", "7"));
    ASSERT_TRUE(write("New", "Key", "v"));
    EXPECT_EQ(test::readIni(), "; my settings\n[Options]\n; the viewer\nExplorer=1\n\ndisplay=0\n"
                               "StartupDir=/pics\n\n[Locations]\nForm1Left=3\nForm1Top=7\n"
                               "[New]\nKey=v\n");
}

TEST_F(Profile, WriteKeepsWindowsLineEndings) {
    test::writeIni("[Options]\r\nExplorer=1\r\n");
    ASSERT_TRUE(write("Options", "Explorer", "0"));
    EXPECT_EQ(test::readIni(), "[Options]\r\nExplorer=0\r\n");
}

TEST_F(Profile, RefusedWritesLeaveTheFileAlone) {
    test::writeIni("[Options]\nExplorer=1\n");
    // A value with a line break would smuggle in a key of its own.
    EXPECT_FALSE(write("Options", "StartupDir", "/a\n[Options]\nString1=x"));
    EXPECT_EQ(test::readIni(), "[Options]\nExplorer=1\n");
    // A read-only file is not replaced, although its folder would allow it.
    QFile::setPermissions(test::iniPath(), QFile::ReadOwner);
    EXPECT_FALSE(write("Options", "Explorer", "0"));
    EXPECT_EQ(test::readIni(), "[Options]\nExplorer=1\n");
}

TEST_F(Profile, WriteThroughALinkChangesTheLinkedFile) {
    const QString real = QFileInfo(test::iniPath()).absolutePath() + "/real.ini";
    test::writeFile(real, "[Options]\nExplorer=1\n");
    ASSERT_TRUE(QFile::link(real, test::iniPath()));
    ASSERT_TRUE(write("Options", "Explorer", "0"));
    EXPECT_TRUE(QFileInfo(test::iniPath()).isSymLink());
    EXPECT_EQ(test::readFile(real), "[Options]\nExplorer=0\n");
    QFile::remove(real);
}

} // namespace

namespace {

TEST_F(Profile, WriteKeepsEveryOtherByte) {
    // A byte-order mark, a Latin-1 comment, mixed line ends and no final line end.
    const QByteArray before = "\xEF\xBB\xBF; caf\xE9\r\n[Options]\nExplorer=1\r\nDisplay=2\n"
                              "[Locations]\r\nForm1Left=3";
    test::writeIni(before);
    ASSERT_TRUE(write("Options", "Explorer", "0"));
    EXPECT_EQ(test::readIni(), "\xEF\xBB\xBF; caf\xE9\r\n[Options]\nExplorer=0\r\nDisplay=2\n"
                               "[Locations]\r\nForm1Left=3");
    ASSERT_TRUE(write("Locations", "Form1Top", "7"));
    ASSERT_TRUE(write("New", "Key", "v"));
    EXPECT_EQ(test::readIni(), "\xEF\xBB\xBF; caf\xE9\r\n[Options]\nExplorer=0\r\nDisplay=2\n"
                               "[Locations]\r\nForm1Left=3\r\nForm1Top=7\r\n[New]\r\nKey=v");
    // Keys after the mark are found.
    test::writeIni("\xEF\xBB\xBF[Options]\r\nDisplay=2\r\n");
    EXPECT_EQ(read("Options", "Display"), "2");
}

TEST_F(Profile, EveryValueReadsBackAsWritten) {
    const QString values[] = {"\"/opt/my app/viewer\"",
                              " pass word ",
                              "'quoted'",
                              "\"",
                              "\"\"",
                              "a \"b\" c",
                              "\"half",
                              "tab\t",
                              "",
                              QString::fromUtf8("Bilder/\xC3\xA9t\xC3\xA9")};
    for (const QString& value : values) {
        ASSERT_TRUE(write("Options", "Menu1Command", value));
        EXPECT_EQ(read("Options", "Menu1Command"), value) << test::readIni().constData();
    }
    EXPECT_EQ(platform::profileValueText("plain value"), "plain value");
}

TEST_F(Profile, FilesThatAreNoRegularFileAreNeverReadOrWritten) {
    // A FIFO would block the reader for good; a read must answer at once.
    const QByteArray ini = QFile::encodeName(test::iniPath());
    ASSERT_EQ(::mkfifo(ini.constData(), 0600), 0);
    std::future<platform::ProfileFile> reading =
        std::async(std::launch::async, [] { return platform::ProfileFile::read(kIni); });
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Let the stuck reader go before failing.
        ::close(::open(ini.constData(), O_WRONLY | O_NONBLOCK));
        FAIL() << "reading a FIFO blocked";
    }
    const platform::ProfileFile fifo = reading.get();
    EXPECT_EQ(fifo.problem(), "not a regular file");
    EXPECT_EQ(fifo.value("Options", "Display", "0"), "0");
    EXPECT_FALSE(write("Options", "Display", "1"));
    struct stat st {};
    ASSERT_EQ(::lstat(ini.constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A link to a device that never ends.
    ::unlink(ini.constData());
    ASSERT_EQ(::symlink("/dev/zero", ini.constData()), 0);
    EXPECT_EQ(platform::ProfileFile::read(kIni).problem(), "not a regular file");
    EXPECT_EQ(read("Options", "Display"), "dflt");
    EXPECT_FALSE(write("Options", "Display", "1"));
    ::unlink(ini.constData());
}

TEST_F(Profile, AnOverlargeFileIsRefusedWithoutReadingItAndKeptAsItIs) {
    test::writeIni("[Options]\nDisplay=2\n");
    const QByteArray ini = QFile::encodeName(test::iniPath());
    const off_t size = off_t(platform::kProfileFileMax) + 1;
    ASSERT_EQ(::truncate(ini.constData(), size), 0); // sparse: costs no disk
    EXPECT_EQ(platform::ProfileFile::read(kIni).problem(), "larger than 16 MB");
    EXPECT_EQ(read("Options", "Display"), "dflt");
    EXPECT_FALSE(write("Options", "Display", "1"));
    struct stat st {};
    ASSERT_EQ(::stat(ini.constData(), &st), 0);
    EXPECT_EQ(st.st_size, size);
}

TEST_F(Profile, TwoWritersAtOnceLoseNoKey) {
    ASSERT_TRUE(write("Options", "Start", "1"));
    const auto writeKeys = [](const QString& prefix) {
        bool ok = true;
        for (int i = 0; i < 60; ++i)
            ok = writePrivateProfileString("Options", prefix + QString::number(i), "v", kIni) && ok;
        return ok;
    };
    std::future<bool> one = std::async(std::launch::async, writeKeys, QStringLiteral("One"));
    std::future<bool> two = std::async(std::launch::async, writeKeys, QStringLiteral("Two"));
    ASSERT_TRUE(one.get());
    ASSERT_TRUE(two.get());
    const platform::ProfileFile file = platform::ProfileFile::read(kIni);
    int found = 0;
    for (int i = 0; i < 60; ++i)
        found += (file.value("Options", "One" + QString::number(i), "") == "v") +
                 (file.value("Options", "Two" + QString::number(i), "") == "v");
    EXPECT_EQ(found, 120);
}

} // namespace
