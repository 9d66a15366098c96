// TIFF in the decoder helper: every common kind of TIFF gives its pixels and facts, previews
// are the whole picture shrunk, the orientation tag turns the picture upright, and a small file
// claiming a huge picture previews within a small budget.
#include "byte_builder.h"
#include "components/decoders/decode.h"
#include "fixtures.h"
#include "todays_fixtures.h"

#include <QColor>
#include <QTemporaryDir>
#include <QTransform>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

struct Kind {
    const char* how;
    QStringList options; // gm convert's, before the output
    const QImage* source;
    int bitsPerPixel;
    int tolerance; // per channel, against the source picture
};

// Largest difference of any channel, alpha included, between two pictures of one size.
int largestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            for (int d : {p.red() - q.red(), p.green() - q.green(), p.blue() - q.blue(),
                          p.alpha() - q.alpha()})
                largest = std::max(largest, std::abs(d));
        }
    return largest;
}

TEST(Tiff, EveryCommonKindDecodesWithItsFactsAndPreviewsShrunk) {
    const QImage colour = fixtures::colourPicture();
    const QImage bands = fixtures::fourColourPicture();
    QImage mono = bands.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    mono = mono.convertToFormat(QImage::Format_RGB32);
    QImage grey = colour.convertToFormat(QImage::Format_Grayscale8);
    QImage smooth(colour.size(), QImage::Format_RGB32);
    for (int y = 0; y < smooth.height(); ++y)
        for (int x = 0; x < smooth.width(); ++x)
            smooth.setPixel(x, y, qRgb(x * 10, y * 15, 128));
    QImage clear = colour.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            clear.setPixel(x, y, qRgba(qRed(clear.pixel(x, y)), 0, 0, x * 20));
    const Kind kinds[] = {
        {"one bit, deflate", {"-monochrome", "-compress", "Zip"}, &mono, 1, 0},
        {"grey, LZW", {"-compress", "LZW"}, &grey, 8, 0},
        {"palette of 4", {"-type", "palette"}, &bands, 2, 0},
        {"16 bits a sample", {"-depth", "16"}, &colour, 48, 0},
        // Colours with black 0 or 255, the same in every reading of CMYK.
        {"CMYK", {"-colorspace", "CMYK"}, &bands, 32, 0},
        {"tiles of 16", {"-define", "tiff:tile-geometry=16x16"}, &colour, 24, 0},
        {"separate planes", {"-interlace", "plane"}, &colour, 24, 0},
        {"JPEG", {"-compress", "JPEG", "-quality", "95"}, &smooth, 24, 16},
        {"alpha", {}, &clear, 32, 0},
    };
    QTemporaryDir dir;
    for (const Kind& k : kinds) {
        const QByteArray tiff = fixtures::runTool(
            "gm", QStringList{"convert", "png:-"} + k.options + QStringList{"tif:-"},
            fixtures::toPng(*k.source));
        ASSERT_FALSE(tiff.isEmpty()) << k.how;
        const QByteArray path = fixtures::writeNative(dir.filePath("kind.tif"), tiff);
        const decoders::Picture full = decoders::decodeFile(path);
        ASSERT_TRUE(full.ok()) << k.how << ": " << full.error.toStdString();
        EXPECT_EQ(full.bitsPerPixel, k.bitsPerPixel) << k.how;
        ASSERT_EQ(full.image.size(), k.source->size()) << k.how;
        if (k.bitsPerPixel == 1) {
            EXPECT_EQ(full.image.depth(), 1) << "the helper hands over one bit a pixel";
        }
        EXPECT_LE(largestDifference(full.image.convertToFormat(QImage::Format_ARGB32),
                                    k.source->convertToFormat(QImage::Format_ARGB32)),
                  k.tolerance)
            << k.how;
        const decoders::Picture facts = decoders::readFacts(path);
        EXPECT_EQ(facts.width, full.width) << k.how;
        EXPECT_EQ(facts.height, full.height) << k.how;
        EXPECT_EQ(facts.bitsPerPixel, full.bitsPerPixel) << k.how;
        if (k.source->hasAlphaChannel())
            continue; // the blocks' average is of opaque colours
        decoders::DecodeOptions preview;
        preview.hint = QSize(8, 8);
        const decoders::Picture small = decoders::decodeFile(path, preview);
        ASSERT_TRUE(small.ok()) << k.how << ": " << small.error.toStdString();
        EXPECT_EQ(small.width, full.width) << k.how;
        EXPECT_EQ(small.image.convertToFormat(QImage::Format_RGB32),
                  fixtures::averagedBlocks(full.image, 3))
            << k.how;
    }
}

TEST(Tiff, TheOrientationTagTurnsThePictureUpright) {
    // Right-top: the stored rows are the upright picture's columns, right to left.
    const QByteArray tiff =
        fixtures::runTool("gm", {"convert", "-", "-orient", "RightTop", "tif:-"},
                          fixtures::toPpm(fixtures::colourPicture()));
    ASSERT_FALSE(tiff.isEmpty());
    QTemporaryDir dir;
    const QByteArray path = fixtures::writeNative(dir.filePath("turned.tif"), tiff);
    const QImage upright = fixtures::colourPicture().transformed(QTransform().rotate(90));
    const decoders::Picture full = decoders::decodeFile(path);
    ASSERT_TRUE(full.ok()) << full.error.toStdString();
    EXPECT_EQ(full.width, fixtures::kHeight);
    EXPECT_EQ(full.height, fixtures::kWidth);
    EXPECT_EQ(full.image.convertToFormat(QImage::Format_RGB32), upright);
    const decoders::Picture facts = decoders::readFacts(path);
    EXPECT_EQ(facts.width, fixtures::kHeight);
    EXPECT_EQ(facts.height, fixtures::kWidth);
    decoders::DecodeOptions preview;
    preview.hint = QSize(8, 8);
    const decoders::Picture small = decoders::decodeFile(path, preview);
    ASSERT_TRUE(small.ok()) << small.error.toStdString();
    // Reduced as stored, then turned.
    EXPECT_EQ(small.image.convertToFormat(QImage::Format_RGB32),
              fixtures::averagedBlocks(fixtures::colourPicture(), 3)
                  .transformed(QTransform().rotate(90)));
}

TEST(Tiff, AOneBitPictureClaimingTwentyThousandSquaredPreviewsInASmallBudget) {
    // 20000 x 20000 white, one deflate strip of 48 KB: 50 MB of rows once inflated. Whole, it
    // takes 400 MB as bytes (GraphicsMagick took 4.7 GB); the budget here is 256 MB.
    const int side = 20000;
    QTemporaryDir dir;
    const QByteArray path =
        fixtures::writeNative(dir.filePath("huge.tif"), test::oneBitDeflateTiff(side));
    ::setenv("GLIMRA_DECODE_MEMORY", "256M", 1);
    decoders::DecodeOptions preview;
    preview.hint = QSize(200, 200);
    const decoders::Picture p = decoders::decodeFile(path, preview);
    ::unsetenv("GLIMRA_DECODE_MEMORY");
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.width, side);
    EXPECT_EQ(p.height, side);
    EXPECT_EQ(p.image.size(), QSize(200, 200));
    EXPECT_EQ(QColor(p.image.pixel(100, 100)), QColor(Qt::white));
}

} // namespace
