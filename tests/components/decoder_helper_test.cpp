// The decoder helper process: whatever a decoder does inside it (crash, hang, take memory
// without end, try what the sandbox forbids), the program goes on and the next file decodes.
// The helper's test-only triggers are files starting "GLIMRA-TEST-" (see the helper's service).
#include "components/decoders/decode.h"
#include "components/decoders/helper_client.h"
#include "fixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using decoders::HelperKind;

using fixtures::ScopedEnv;

class DecoderHelper : public ::testing::Test {
protected:
    QByteArray write(const QString& name, const QByteArray& bytes) {
        return fixtures::writeNative(dir.filePath(name), bytes);
    }
    QByteArray goodTga() {
        const fixtures::Fixture& f = fixtures::fixtureByExtension()["tga"];
        return write("good.tga", f.bytes);
    }
    void expectGood(const QByteArray& path, const char* after) {
        const decoders::Picture p = decoders::decodeFile(path);
        EXPECT_TRUE(p.ok()) << "after " << after << ": " << p.error.toStdString();
        EXPECT_EQ(p.width, fixtures::kWidth) << after;
    }
    QTemporaryDir dir;
};

TEST_F(DecoderHelper, ACrashAHangAndAMemoryHogEachLeaveTheFileUnreadableAndTheNextDecodes) {
    ScopedEnv seconds("GLIMRA_DECODE_SECONDS", "1.5");
    ScopedEnv memory("GLIMRA_DECODE_MEMORY", "256M");
    const QByteArray good = goodTga();
    expectGood(good, "start");
    struct Case {
        const char* name;
        QByteArray content;
        int atLeastMs;
        int atMostMs;
    } cases[] = {
        {"crash", "GLIMRA-TEST-CRASH", 0, 1500},
        {"hang", "GLIMRA-TEST-HANG", 1400, 6000},
        {"hog", "GLIMRA-TEST-HOG", 0, 6000},
    };
    for (const Case& c : cases) {
        const pid_t before = decoders::helperPid(HelperKind::General);
        const QByteArray path = write(QString::fromLatin1(c.name) + ".tga", c.content);
        QElapsedTimer timer;
        timer.start();
        const decoders::Picture p = decoders::decodeFile(path);
        const qint64 ms = timer.elapsed();
        EXPECT_FALSE(p.ok()) << c.name;
        EXPECT_TRUE(p.image.isNull()) << c.name;
        EXPECT_EQ(p.width, 0) << c.name;
        EXPECT_EQ(p.bitsPerPixel, 0) << c.name;
        EXPECT_GE(ms, c.atLeastMs) << c.name;
        EXPECT_LE(ms, c.atMostMs) << c.name;
        expectGood(good, c.name);
        EXPECT_NE(decoders::helperPid(HelperKind::General), before)
            << c.name << ": the helper should have been replaced";
    }
}

TEST_F(DecoderHelper, ASlowDecodeIsToldOnceAndCancellingAbandonsIt) {
    ScopedEnv seconds("GLIMRA_DECODE_SECONDS", "20");
    const QByteArray hang = write("hang.tga", "GLIMRA-TEST-HANG");
    std::atomic<bool> cancel{false};
    int slow = 0;
    decoders::DecodeOptions options;
    options.cancel = &cancel;
    options.onSlow = [&] {
        ++slow;
        cancel = true;
    };
    QElapsedTimer timer;
    timer.start();
    const decoders::Picture p = decoders::decodeFile(hang, options);
    EXPECT_FALSE(p.ok());
    EXPECT_EQ(slow, 1);
    EXPECT_GE(timer.elapsed(), decoders::kSlowDecodeMs);
    EXPECT_LT(timer.elapsed(), 3000) << "cancelling should not wait for the time budget";
    expectGood(goodTga(), "cancel");
}

TEST_F(DecoderHelper, TheSandboxKeepsTheUsersFilesAndOtherProgramsOutOfReach) {
    const QByteArray secret = write("secret.txt", "the user's own words");
    auto tryOpen = [&](const QByteArray& path) {
        const decoders::Picture p =
            decoders::decodeFile(write("open.tga", "GLIMRA-TEST-OPEN " + path));
        return p.error.toStdString();
    };
    EXPECT_EQ(tryOpen(secret), "refused");
    EXPECT_EQ(tryOpen("/etc/passwd"), "refused");
    EXPECT_EQ(tryOpen(QDir::homePath().toLocal8Bit() + "/../../../../../etc/hostname"), "refused");
    // Fonts are handed over by the program, since libwmf opens them while drawing text.
    const QDir fonts("/usr/share/fonts/X11/Type1");
    const QStringList fontFiles = fonts.entryList({"*.pfb"}, QDir::Files);
    ASSERT_FALSE(fontFiles.isEmpty()) << "fonts-urw-base35 is not installed";
    EXPECT_EQ(tryOpen(QFile::encodeName(fonts.filePath(fontFiles.first()))), "opened");

    const pid_t before = decoders::helperPid(HelperKind::General);
    const decoders::Picture exec = decoders::decodeFile(write("exec.tga", "GLIMRA-TEST-EXEC"));
    EXPECT_FALSE(exec.ok());
    EXPECT_NE(exec.error.toStdString(), "exec refused")
        << "starting a program should end the helper";
    EXPECT_NE(decoders::helperPid(HelperKind::General), before);
    expectGood(goodTga(), "exec");
}

TEST_F(DecoderHelper, IsFoundInLibexecOfAnInstalledTreeElseBesideTheProgram) {
    const QString bin = dir.filePath("usr/bin"), libexec = dir.filePath("usr/libexec/glimra");
    QDir().mkpath(bin);
    QDir().mkpath(libexec);
    auto executable = [](const QString& path) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\n");
        file.close();
        ::chmod(QFile::encodeName(path).constData(), 0755);
    };
    const QByteArray binDir = QFile::encodeName(bin);
    EXPECT_TRUE(decoders::helperProgramPathFrom(binDir, HelperKind::General).isEmpty());
    executable(bin + "/glimra-decoder");
    EXPECT_EQ(decoders::helperProgramPathFrom(binDir, HelperKind::General),
              binDir + "/glimra-decoder");
    executable(libexec + "/glimra-decoder");
    EXPECT_EQ(decoders::helperProgramPathFrom(binDir, HelperKind::General),
              binDir + "/../libexec/glimra/glimra-decoder");
    EXPECT_TRUE(decoders::helperProgramPathFrom(binDir, HelperKind::Emf).isEmpty());
    // This build's own helpers are found from the test program too.
    EXPECT_FALSE(decoders::helperProgramPath(HelperKind::General).isEmpty());
    EXPECT_FALSE(decoders::helperProgramPath(HelperKind::Emf).isEmpty());
}

TEST(DecodeBudgetSettings, ComesFromTheEnvironmentWithSaneDefaults) {
    EXPECT_EQ(decoders::parseMemoryAmount("1048576"), 1048576);
    EXPECT_EQ(decoders::parseMemoryAmount("512M"), 512ll << 20);
    EXPECT_EQ(decoders::parseMemoryAmount("2G"), 2ll << 30);
    EXPECT_EQ(decoders::parseMemoryAmount("1.5GiB"), 3ll << 29);
    EXPECT_EQ(decoders::parseMemoryAmount("64k"), 64 * 1024);
    for (const char* bad : {"", "-5", "0", "lots", "12X", "5 M"})
        EXPECT_EQ(decoders::parseMemoryAmount(bad), 0) << bad;
    {
        ScopedEnv memory("GLIMRA_DECODE_MEMORY", "lots");
        ScopedEnv seconds("GLIMRA_DECODE_SECONDS", "-1");
        const decoders::Budget b = decoders::decodeBudget();
        EXPECT_GE(b.memoryBytes, 1ll << 30);
        EXPECT_EQ(b.seconds, 10);
    }
    ScopedEnv memory("GLIMRA_DECODE_MEMORY", "300M");
    ScopedEnv seconds("GLIMRA_DECODE_SECONDS", "2.5");
    const decoders::Budget b = decoders::decodeBudget();
    EXPECT_EQ(b.memoryBytes, 300ll << 20);
    EXPECT_EQ(b.seconds, 2.5);
}

} // namespace
