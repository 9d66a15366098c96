// The glyph resources and the row heights computed from fonts.
#include "filelists/glyphs.h"
#include "filelists/row_metrics.h"
#include "qt_print.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using filelists::Glyph;

struct GlyphCase {
    Glyph glyph;
    const char* name;
    int width;
    int height;
};

void PrintTo(const GlyphCase& c, std::ostream* out) {
    *out << c.name;
}

class Glyphs : public ::testing::TestWithParam<GlyphCase> {};

TEST_P(Glyphs, AreFourBitBitmapsOfTheirSizeWithATealTransparentKey) {
    const GlyphCase& c = GetParam();
    EXPECT_EQ(filelists::glyphName(c.glyph), c.name);
    QFile file(filelists::glyphResource(c.glyph));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.name;
    const QByteArray bytes = file.readAll();
    ASSERT_GT(bytes.size(), 54);
    EXPECT_TRUE(bytes.startsWith("BM"));
    EXPECT_EQ(quint8(bytes[28]), 4) << "bits per pixel";
    const QImage bitmap(filelists::glyphResource(c.glyph));
    EXPECT_EQ(bitmap.size(), QSize(c.width, c.height));
    EXPECT_EQ(bitmap.pixelColor(0, c.height - 1), QColor(0, 128, 128));
    // Drawn: the teal key is gone, every other pixel is opaque.
    const QImage& drawn = filelists::glyph(c.glyph);
    ASSERT_EQ(drawn.size(), QSize(c.width, c.height));
    int transparent = 0;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const bool key = bitmap.pixelColor(x, y) == QColor(0, 128, 128);
            EXPECT_EQ(drawn.pixelColor(x, y).alpha(), key ? 0 : 255) << x << "," << y;
            transparent += key;
        }
    EXPECT_GT(transparent, 0);
    EXPECT_LT(transparent, c.width * c.height);
}

INSTANTIATE_TEST_SUITE_P(
    All, Glyphs,
    ::testing::Values(GlyphCase{Glyph::Floppy, "RZ_FLOPPY", 16, 13},
                      GlyphCase{Glyph::FixedDisk, "RZ_FIXEDDISK", 16, 13},
                      GlyphCase{Glyph::NetDrive, "RZ_NETDRIVE", 16, 13},
                      GlyphCase{Glyph::CDROM, "RZ_CDROM", 16, 13},
                      GlyphCase{Glyph::RAM, "RZ_RAM", 16, 13},
                      GlyphCase{Glyph::OpenFolder, "RZ_OPENFOLDER", 16, 16},
                      GlyphCase{Glyph::CurrentFolder, "RZ_CURRENTFOLDER", 16, 16},
                      GlyphCase{Glyph::ClosedFolder, "RZ_CLOSEDFOLDER", 16, 16}));

TEST(DriveGlyphs, FollowTheDriveKind) {
    using platform::DriveType;
    EXPECT_EQ(filelists::driveGlyph(DriveType::Floppy), Glyph::Floppy);
    EXPECT_EQ(filelists::driveGlyph(DriveType::Fixed), Glyph::FixedDisk);
    EXPECT_EQ(filelists::driveGlyph(DriveType::Network), Glyph::NetDrive);
    EXPECT_EQ(filelists::driveGlyph(DriveType::CDROM), Glyph::CDROM);
    EXPECT_EQ(filelists::driveGlyph(DriveType::RAM), Glyph::RAM);
}

TEST(RowHeights, FollowTheDesignedArithmetic) {
    // The browser's 8-point font: text height 13, system font 16.
    EXPECT_EQ(filelists::adjustedTextHeight(13, 16), 16);
    EXPECT_EQ(filelists::driveRowHeight(13, 16), 16);
    EXPECT_EQ(filelists::directoryRowHeight(13), 17);
    EXPECT_EQ(filelists::fileRowHeight(13, 16), 18);
    // Small fonts keep the glyph bounds; large ones grow past them.
    EXPECT_EQ(filelists::driveRowHeight(8, 16), 13);
    EXPECT_EQ(filelists::adjustedTextHeight(20, 16), 24);
    EXPECT_EQ(filelists::directoryRowHeight(20), 20);
    EXPECT_EQ(filelists::fileRowHeight(20, 16), 24);
    EXPECT_EQ(filelists::fileRowHeight(15, 15), 18);
}

} // namespace
