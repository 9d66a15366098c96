// Status line, file-size line, file kinds and the length read of the preview.
#include "platform/errors.h"
#include "preview/preview_text.h"
#include "test_env.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using namespace preview;

TEST(FileSizeLine, KilobytesWithOneDecimalHalvesAwayFromZero) {
    const QLocale c(QLocale::C);
    const std::pair<qint64, const char*> cases[] = {
        {0, "FileSize:  0.0 KB"},
        {51, "FileSize:  0.0 KB"},
        {52, "FileSize:  0.1 KB"},
        {256, "FileSize:  0.3 KB"},
        {768, "FileSize:  0.8 KB"},
        {1536, "FileSize:  1.5 KB"},
        {1048576, "FileSize:  1024.0 KB"},
        {3221225472LL, "FileSize:  3145728.0 KB"},
        {16777217LL * 1024, "FileSize:  16777216.0 KB"}, // single precision
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(fileSizeLine(bytes, c), QString::fromLatin1(text)) << bytes;
}

TEST(FileSizeLine, UsesTheLocaleSeparatorWithoutGrouping) {
    EXPECT_EQ(fileSizeLine(1048576 * 2 + 1536, QLocale(QLocale::German)), "FileSize:  2049,5 KB");
}

TEST(ImageStatusLine, ColourPartByBitsPerPixel) {
    const QString p = "/pics/a b.bmp";
    EXPECT_EQ(imageStatusLine(p, 640, 480, 8),
              "/pics/a b.bmp - Image Size: 640 x 480 Pixels x 256 colors");
    EXPECT_EQ(imageStatusLine(p, 1, 2, 0), "/pics/a b.bmp - Image Size: 1 x 2 Pixels");
    const std::pair<int, const char*> parts[] = {
        {1, " x 2 colors"},      {4, " x 16 colors"},     {16, " x 65K colors"},
        {24, " x 16.8M colors"}, {32, " x 32 bit color"}, {15, " x 15 bit color"},
        {48, " x 48 bit color"}, {-3, " x -3 bit color"},
    };
    for (const auto& [bpp, part] : parts)
        EXPECT_EQ(imageStatusLine(p, 3, 4, bpp),
                  "/pics/a b.bmp - Image Size: 3 x 4 Pixels" + QString::fromLatin1(part));
    EXPECT_EQ(imageStatusLine(p, 40000, 3, 24),
              "/pics/a b.bmp - Image Size: 40000 x 3 Pixels x 16.8M colors");
}

TEST(FileKind, ByTheUpperCasedLastExtension) {
    EXPECT_TRUE(isMediaFile("/a/song.wav"));
    EXPECT_TRUE(isMediaFile("/a/SONG.Mid"));
    EXPECT_TRUE(isMediaFile("/a/x.rmi"));
    EXPECT_TRUE(isMediaFile("/a/clip.tar.AVI"));
    EXPECT_FALSE(isMediaFile("/a/song.wave"));
    EXPECT_FALSE(isMediaFile("/a.wav/song"));
    EXPECT_FALSE(isMediaFile(""));
    EXPECT_EQ(upperExtension("/a.b/c"), "");
    EXPECT_EQ(upperExtension("/a/c."), ".");
    EXPECT_EQ(placeholderFor("/x/a.WAV", "/d"), "/d/Wave.bmp");
    EXPECT_EQ(placeholderFor("/x/a.avi", "/d"), "/d/Avi.bmp");
    EXPECT_EQ(placeholderFor("/x/a.mid", "/d"), "/d/Midi.bmp");
    EXPECT_EQ(placeholderFor("/x/a.rmi", "/d"), "/d/Midi.bmp");
}

TEST(FileKind, TodaysSoundAndVideoArePlayedBehindTheirKindsPlaceholder) {
    for (const char* sound : {"a.mp3", "a.OGG", "a.oga", "a.opus", "a.Flac", "a.m4a", "a.aac",
                              "a.wma", "a.aif", "a.AIFF"}) {
        EXPECT_TRUE(isMediaFile(QString("/x/") + sound)) << sound;
        EXPECT_EQ(placeholderFor(QString("/x/") + sound, "/d"), "/d/Wave.bmp") << sound;
    }
    for (const char* video :
         {"a.mp4", "a.m4v", "a.MKV", "a.webm", "a.mov", "a.mpg", "a.mpeg", "a.ogv", "a.wmv"}) {
        EXPECT_TRUE(isMediaFile(QString("/x/") + video)) << video;
        EXPECT_EQ(placeholderFor(QString("/x/") + video, "/d"), "/d/Avi.bmp") << video;
    }
    // Today's pictures are pictures; so is an extension no table row names.
    for (const char* picture : {"a.webp", "a.HEIC", "a.jxl", "a.svgz", "a.cr3", "a.mp3x", "a.m4"})
        EXPECT_FALSE(isMediaFile(QString("/x/") + picture)) << picture;
}

TEST(FileLength, ReadsReadOnlyFilesAndReportsMissingOnes) {
    QTemporaryDir dir;
    const QString file = dir.filePath("ro.bmp");
    test::writeFile(file, QByteArray(1536, 'x'));
    QFile::setPermissions(file, QFile::ReadOwner);
    EXPECT_EQ(fileLength(file), 1536);
    try {
        fileLength(dir.filePath("gone.bmp"));
        FAIL() << "no error";
    } catch (const platform::InOutError& e) {
        EXPECT_EQ(e.text(), "File not found");
    }
    if (::geteuid() != 0) {
        QFile::setPermissions(file, QFile::WriteOwner);
        EXPECT_THROW(fileLength(file), platform::InOutError);
    }
}

} // namespace
