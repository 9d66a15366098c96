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
    // Each of four planes gives one bit of a pixel's colour, plane 0 the lowest.
    const auto planar = decoders::decodeBytes(fixtures::buildPcPaintPlanar(), Format::PcPaint);
    EXPECT_EQ(planar.bitsPerPixel, 4);
    expectPattern(planar.image, 16, [](int i) {
        return qRgb(i * 4 * 255 / 63, (63 - i * 4) * 255 / 63, 32 * 255 / 63);
    });
}

TEST(OwnDecoders, PreviewTheWholePictureShrunkAndRefuseTruncatedData) {
    using decoders::Format;
    const QImage bands = fixtures::fourColourPicture();
    const struct {
        const char* name;
        QByteArray bytes;
        Format format;
    } files[] = {
        {"GEM, four planes, repeated lines", fixtures::buildGemXimg(), Format::GemImg},
        {"GEM, one plane", fixtures::runTool("pbmtogem", {}, fixtures::toPbm(bands)),
         Format::GemImg},
        {"MS Paint 1", fixtures::buildMsp(false), Format::Msp},
        {"MS Paint 2", fixtures::buildMsp(true), Format::Msp},
        {"IFF PBM", fixtures::buildIlbmChunky(), Format::Ilbm},
        {"IFF, 24 planes",
         fixtures::runTool("ppmtoilbm", {}, fixtures::toPpm(fixtures::colourPicture())),
         Format::Ilbm},
        {"PC Paint, 4 bits", fixtures::buildPcPaint(), Format::PcPaint},
        {"PC Paint, 4 planes", fixtures::buildPcPaintPlanar(), Format::PcPaint},
    };
    // 24 x 16 into an 8 x 8 box: blocks of 3 x 3, the last line left over.
    const QSize box(8, 8);
    for (const auto& f : files) {
        ASSERT_FALSE(f.bytes.isEmpty()) << f.name;
        const decoders::Picture full = decoders::decodeBytes(f.bytes, f.format);
        const decoders::Picture small = decoders::decodeBytes(f.bytes, f.format, box);
        ASSERT_TRUE(full.ok() && small.ok()) << f.name;
        EXPECT_EQ(small.width, full.width) << f.name;
        EXPECT_EQ(small.height, full.height) << f.name;
        EXPECT_EQ(small.bitsPerPixel, full.bitsPerPixel) << f.name;
        EXPECT_EQ(small.image.convertToFormat(QImage::Format_RGB32),
                  fixtures::averagedBlocks(full.image, 3))
            << f.name;
        // The header alone tells the same facts.
        const decoders::Picture facts = decoders::decodeBytes(f.bytes, f.format, {}, true);
        EXPECT_TRUE(facts.image.isNull()) << f.name;
        EXPECT_EQ(facts.width, full.width) << f.name;
        EXPECT_EQ(facts.bitsPerPixel, full.bitsPerPixel) << f.name;
        // Data that ends early is no picture, reduced or not.
        const QByteArray cut = f.bytes.left(f.bytes.size() * 3 / 4);
        EXPECT_FALSE(decoders::decodeBytes(cut, f.format).ok()) << f.name;
        EXPECT_FALSE(decoders::decodeBytes(cut, f.format, box).ok()) << f.name;
    }
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

TEST(Pict, FactsFromTheOpcodesAgreeWithTheDecodeAndHugeFramesAreNoPreview) {
    QTemporaryDir dir;
    const QImage bands = fixtures::fourColourPicture();
    const struct {
        const char* how;
        QByteArray ppm;
        QStringList options;
        int bitsPerPixel;
    } kinds[] = {
        {"direct colours", fixtures::toPpm(fixtures::colourPicture()), {}, 24},
        {"a palette pixel map", fixtures::toPpm(bands), {"-type", "palette"}, 8},
    };
    for (const auto& k : kinds) {
        const QByteArray pict = fixtures::runTool(
            "gm", QStringList{"convert", "-"} + k.options + QStringList{"pict:-"}, k.ppm);
        ASSERT_FALSE(pict.isEmpty()) << k.how;
        const QByteArray path = fixtures::writeNative(dir.filePath("apple.pic"), pict);
        const decoders::Picture facts = decoders::readFacts(path);
        EXPECT_EQ(facts.width, fixtures::kWidth) << k.how;
        EXPECT_EQ(facts.height, fixtures::kHeight) << k.how;
        EXPECT_EQ(facts.bitsPerPixel, k.bitsPerPixel) << k.how;
        decoders::DecodeOptions preview;
        preview.hint = QSize(200, 200);
        for (const auto& options : {decoders::DecodeOptions(), preview}) {
            const decoders::Picture p = decoders::decodeFile(path, options);
            ASSERT_TRUE(p.ok()) << k.how << ": " << p.error.toStdString();
            EXPECT_EQ(p.width, facts.width) << k.how;
            EXPECT_EQ(p.height, facts.height) << k.how;
            EXPECT_EQ(p.bitsPerPixel, facts.bitsPerPixel) << k.how;
        }
    }
    // A 554-byte file claiming a 20000 x 20000 frame: its facts, but no preview.
    fixtures::Bytes hostile;
    hostile.raw(QByteArray(512, '\0')).be16(0).be16(0).be16(0).be16(20000).be16(20000);
    hostile.be16(0x0011).be16(0x02FF).be16(0x0C00).raw(QByteArray(24, '\0')).be16(0x00FF);
    const QByteArray path = fixtures::writeNative(dir.filePath("claims.pic"), hostile.data);
    const decoders::Picture facts = decoders::readFacts(path);
    EXPECT_EQ(facts.width, 20000);
    EXPECT_EQ(facts.height, 20000);
    decoders::DecodeOptions preview;
    preview.hint = QSize(200, 200);
    const decoders::Picture p = decoders::decodeFile(path, preview);
    EXPECT_FALSE(p.ok());
    EXPECT_EQ(p.error.toStdString(), "picture too large for a preview");
}

TEST(HeaderFacts, ADamagedHeaderGivesNoFactsAndNoPicture) {
    QTemporaryDir dir;
    // Each file's header cut short, and (where the size is one field) its width set to 0.
    const auto zeroed = [](QByteArray bytes, qsizetype at, int length) {
        bytes.replace(at, length, QByteArray(length, '\0'));
        return bytes;
    };
    fixtures::Bytes pict;
    pict.raw(QByteArray(512, '\0')).be16(0).be16(0).be16(0).be16(300).be16(200);
    pict.be16(0x0011).be16(0x02FF).be16(0x0C00).raw(QByteArray(24, '\0')).be16(0x00FF);
    const QByteArray tiff = fixtures::runTool("gm", {"convert", "-", "tif:-"},
                                              fixtures::toPpm(fixtures::colourPicture()));
    QByteArray tiffFarDirectory = tiff;
    tiffFarDirectory.replace(4, 4, QByteArray("\x00\x00\xFF\x7F", 4));
    if (tiff.startsWith("MM"))
        tiffFarDirectory.replace(4, 4, QByteArray("\x7F\xFF\x00\x00", 4));
    const QByteArray gif = fixtures::runTool("gm", {"convert", "-", "gif:-"},
                                             fixtures::toPpm(fixtures::colourPicture()));
    const QByteArray tga = fixtures::runTool("gm", {"convert", "-", "tga:-"},
                                             fixtures::toPpm(fixtures::colourPicture()));
    const QByteArray pcx = fixtures::runTool("gm", {"convert", "-", "pcx:-"},
                                             fixtures::toPpm(fixtures::colourPicture()));
    const struct {
        const char* name;
        QByteArray bytes;
    } files[] = {
        {"cut.img", fixtures::buildGemXimg().left(10)},
        {"narrow.img", zeroed(fixtures::buildGemXimg(), 12, 2)},
        {"cut.msp", fixtures::buildMsp(true).left(6)},
        {"narrow.msp", zeroed(fixtures::buildMsp(true), 4, 2)},
        {"cut.iff", fixtures::buildIlbmChunky().left(24)},
        {"narrow.iff", zeroed(fixtures::buildIlbmChunky(), 20, 2)},
        {"cut.pic", fixtures::buildPcPaint().left(8)},
        {"narrow.pic", zeroed(fixtures::buildPcPaint(), 2, 2)},
        {"cut.pict", pict.data.left(515)},
        {"narrow.pict", zeroed(pict.data, 516, 4)},
        {"cut.tif", tiff.left(12)},
        {"far-directory.tif", tiffFarDirectory},
        {"cut.gif", gif.left(8)},
        {"narrow.gif", zeroed(gif, 6, 2)},
        {"cut.tga", tga.left(14)},
        {"cut.pcx", pcx.left(10)},
    };
    ASSERT_FALSE(tiff.isEmpty());
    ASSERT_FALSE(gif.isEmpty());
    for (const auto& f : files) {
        const QByteArray path = fixtures::writeNative(dir.filePath(f.name), f.bytes);
        const decoders::Picture facts = decoders::readFacts(path);
        EXPECT_FALSE(facts.error.isEmpty()) << f.name;
        EXPECT_EQ(facts.width, 0) << f.name;
        EXPECT_FALSE(decoders::decodeFile(path).ok()) << f.name;
    }
    // The same headers whole give their facts (the damage above is what is refused).
    for (const char* whole : {"whole.img", "whole.pict", "whole.tif"}) {
        const QByteArray bytes = QByteArray(whole).endsWith("img")    ? fixtures::buildGemXimg()
                                 : QByteArray(whole).endsWith("pict") ? pict.data
                                                                      : tiff;
        const decoders::Picture facts =
            decoders::readFacts(fixtures::writeNative(dir.filePath(whole), bytes));
        EXPECT_TRUE(facts.error.isEmpty()) << whole << ": " << facts.error.toStdString();
        EXPECT_GT(facts.width, 0) << whole;
    }
}

TEST(HeaderFacts, TgaAndPcxSizesComeFromTheirHeaderWithoutThePixels) {
    // GraphicsMagick reads a whole TGA or PCX file to tell its size: a selected file's facts
    // come from the header instead, and agree with the decode.
    QTemporaryDir dir;
    const QByteArray ppm = fixtures::toPpm(fixtures::colourPicture());
    for (const QString ext : {"tga", "pcx"}) {
        const QByteArray whole = fixtures::runTool("gm", {"convert", "-", ext + ":-"}, ppm);
        ASSERT_FALSE(whole.isEmpty()) << ext.toStdString();
        const QByteArray path = fixtures::writeNative(dir.filePath("whole." + ext), whole);
        const decoders::Picture facts = decoders::readFacts(path);
        const decoders::Picture decoded = decoders::decodeFile(path);
        ASSERT_TRUE(decoded.ok()) << ext.toStdString() << ": " << decoded.error.toStdString();
        EXPECT_EQ(facts.width, fixtures::kWidth) << ext.toStdString();
        EXPECT_EQ(facts.height, fixtures::kHeight) << ext.toStdString();
        EXPECT_EQ(facts.bitsPerPixel, decoded.bitsPerPixel) << ext.toStdString();
        EXPECT_EQ(decoded.width, facts.width) << ext.toStdString();
        EXPECT_EQ(decoded.height, facts.height) << ext.toStdString();

        // The header alone: its facts all the same, never a decode of pixels that are not
        // there.
        const QByteArray header = whole.left(ext == "tga" ? 18 : 128);
        const decoders::Picture stated =
            decoders::readFacts(fixtures::writeNative(dir.filePath("header." + ext), header));
        EXPECT_EQ(stated.width, fixtures::kWidth) << ext.toStdString();
        EXPECT_EQ(stated.height, fixtures::kHeight) << ext.toStdString();
        EXPECT_EQ(stated.bitsPerPixel, facts.bitsPerPixel) << ext.toStdString();
    }
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
