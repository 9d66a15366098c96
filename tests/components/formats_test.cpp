// Every extension of the graphic mask loads through the image box with its size and stored
// bits per pixel, and the decoders of our own give the right pixels.
#include "components/decoders/decode.h"
#include "components/image_box.h"
#include "fixtures.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using fixtures::fixtureByExtension;

class EveryExtension : public ::testing::TestWithParam<const char*> {};

TEST_P(EveryExtension, LoadsWithSizeAndStoredBitsPerPixel) {
    const fixtures::Fixture& f = fixtureByExtension()[GetParam()];
    ASSERT_FALSE(f.bytes.isEmpty()) << "fixture not made by " << f.how.toStdString();
    QTemporaryDir dir;
    const QString path = dir.filePath("fixture." + f.extension);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(f.bytes);
    file.close();

    for (TGvbox::Mode mode : {TGvbox::Mode::Preview, TGvbox::Mode::FullSize}) {
        TGvbox box(mode);
        box.setFileName(path);
        box.waitForPixels();
        EXPECT_EQ(box.bmpw(), f.width) << f.how.toStdString();
        EXPECT_EQ(box.bmph(), f.height) << f.how.toStdString();
        EXPECT_EQ(box.bmpc(), f.bitsPerPixel) << f.how.toStdString();
        EXPECT_FALSE(box.shownImage().isNull());
    }
    // The facts read from the header alone are the same.
    const decoders::Picture facts = decoders::readFacts(QFile::encodeName(path));
    EXPECT_EQ(facts.width, f.width) << f.how.toStdString();
    EXPECT_EQ(facts.height, f.height) << f.how.toStdString();
    EXPECT_EQ(facts.bitsPerPixel, f.bitsPerPixel) << f.how.toStdString();
    EXPECT_TRUE(facts.image.isNull());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EveryExtension,
                         ::testing::Values("jpg", "gif", "bmp", "wmf", "wpg", "art", "cut", "dib",
                                           "emf", "gem", "hrz", "iff", "img", "lbm", "mac", "msp",
                                           "pcx", "pic", "png", "ras", "rle", "tga", "tif"),
                         [](const auto& info) { return std::string(info.param); });

INSTANTIATE_TEST_SUITE_P(TodaysFixtures, EveryExtension,
                         ::testing::Values("jpeg", "jpe", "jfif", "tiff", "webp", "avif", "heic",
                                           "heif", "jxl", "svg", "svgz", "ico", "pnm", "pbm", "pgm",
                                           "ppm", "dng", "cr2", "cr3", "nef", "nrw", "arw", "orf",
                                           "rw2", "raf", "pef", "srw"),
                         [](const auto& info) { return std::string(info.param); });

// The colour of the byte-built fixtures' pixel, given the palette the file holds.
template <typename Palette>
void expectPattern(const QImage& image, int colours, const Palette& palette) {
    ASSERT_EQ(image.size(), QSize(fixtures::kWidth, fixtures::kHeight));
    for (int y = 0; y < fixtures::kHeight; ++y)
        for (int x = 0; x < fixtures::kWidth; ++x)
            ASSERT_EQ(QColor(image.pixel(x, y)),
                      QColor(palette(fixtures::patternIndex(x, y, colours))))
                << "pixel " << x << "," << y;
}

TEST(OwnDecoders, GiveThePixelsTheFileDescribes) {
    using decoders::Format;
    const auto gem = decoders::decodeBytes(fixtures::buildGemXimg(), Format::GemImg);
    expectPattern(gem.image, 16, [](int i) {
        return qRgb(i * 60 * 255 / 1000, (1000 - i * 60) * 255 / 1000, 500 * 255 / 1000);
    });
    for (bool version2 : {false, true}) {
        const auto msp = decoders::decodeBytes(fixtures::buildMsp(version2), Format::Msp);
        expectPattern(msp.image, 2, [](int i) { return i ? qRgb(255, 255, 255) : qRgb(0, 0, 0); });
    }
    const auto lbm = decoders::decodeBytes(fixtures::buildIlbmChunky(), Format::Ilbm);
    const QRgb cmap[4] = {qRgb(0, 0, 0), qRgb(200, 30, 30), qRgb(30, 200, 30), qRgb(30, 30, 200)};
    expectPattern(lbm.image, 4, [&](int i) { return cmap[i]; });
    // EGA colour codes 0x00, 0x04, 0x3F and 0x12 are black, red, white and bright green.
    const QRgb ega[4] = {qRgb(0, 0, 0), qRgb(0xAA, 0, 0), qRgb(255, 255, 255), qRgb(0, 255, 0)};
    const auto pic = decoders::decodeBytes(fixtures::buildPcPaint(), Format::PcPaint);
    expectPattern(pic.image, 4, [&](int i) { return ega[i]; });
}

TEST(OwnDecoders, ReadAnIffBodyFollowedByOtherChunks) {
    // The body's bytes were once taken from a temporary copy that was gone before the rows
    // were read (found by fuzzing); a chunk after the body makes that copy.
    QByteArray file = fixtures::buildIlbmChunky();
    file.append("ANNO", 4).append(QByteArray("\0\0\0\x04", 4)).append("note", 4);
    const int formLength = int(file.size()) - 8;
    file[4] = char(formLength >> 24), file[5] = char(formLength >> 16);
    file[6] = char(formLength >> 8), file[7] = char(formLength);
    const auto lbm = decoders::decodeBytes(file, decoders::Format::Ilbm);
    const QRgb cmap[4] = {qRgb(0, 0, 0), qRgb(200, 30, 30), qRgb(30, 200, 30), qRgb(30, 30, 200)};
    expectPattern(lbm.image, 4, [&](int i) { return cmap[i]; });
}

TEST(OwnDecoders, ReadWhatTheNetpbmToolsWrite) {
    // 24 planes of ppmtoilbm hold the exact colours; pbmtogem's packed rows the exact bits.
    const QByteArray ilbm =
        fixtures::runTool("ppmtoilbm", {}, fixtures::toPpm(fixtures::colourPicture()));
    const auto deep = decoders::decodeBytes(ilbm, decoders::Format::Ilbm);
    ASSERT_TRUE(deep.ok()) << deep.error.toStdString();
    EXPECT_EQ(deep.image.convertToFormat(QImage::Format_RGB32), fixtures::colourPicture());

    const QImage bands = fixtures::fourColourPicture();
    const QByteArray gemBytes = fixtures::runTool("pbmtogem", {}, fixtures::toPbm(bands));
    const auto gem = decoders::decodeBytes(gemBytes, decoders::Format::GemImg);
    ASSERT_TRUE(gem.ok()) << gem.error.toStdString();
    for (int x = 0; x < fixtures::kWidth; ++x)
        EXPECT_EQ(qGray(gem.image.pixel(x, 5)) < 128, qGray(bands.pixel(x, 5)) < 128) << x;
}

TEST(FormatChoice, ContentWinsOverExtensionAndPictIsReadUnderPic) {
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };
    const QByteArray ppm = fixtures::toPpm(fixtures::colourPicture());
    TGvbox box(TGvbox::Mode::FullSize);
    box.setFileName(write("really-a-png.bmp", fixtures::runTool("pnmtopng", {}, ppm)));
    EXPECT_EQ(box.bmpw(), fixtures::kWidth);
    box.setFileName(write("really-a-gif.jpg",
                          fixtures::runTool("gm", {"convert", "-", "gif:-"},
                                            fixtures::toPpm(fixtures::fourColourPicture()))));
    EXPECT_EQ(box.bmpc(), 2);
    box.setFileName(write("apple.pic", fixtures::runTool("gm", {"convert", "-", "pict:-"}, ppm)));
    EXPECT_EQ(box.bmpw(), fixtures::kWidth);
    EXPECT_EQ(box.bmph(), fixtures::kHeight);
}

} // namespace
