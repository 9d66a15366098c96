// Today's picture formats: upright by whatever orientation they carry, the bits per pixel they
// store beyond 8-bit colour, previews decoded at reduced size that still report the full size,
// SVG drawn at the size it is shown, and camera RAW shown by its embedded preview.
#include "byte_builder.h"
#include "components/decoders/decode.h"
#include "components/decoders/raw_reader.h"
#include "components/image_box.h"
#include "dng_writer.h"
#include "todays_fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using decoders::Format;
using fixtures::convertFile;
using fixtures::runTool;
using fixtures::toPng;

// Left half red, right half blue.
QImage halves(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, format);
    image.fill(Qt::blue);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width / 2; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

bool reddish(const QColor& c) {
    return c.red() > 180 && c.blue() < 90;
}
bool bluish(const QColor& c) {
    return c.blue() > 180 && c.red() < 90;
}

class TodaysPictures : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    // The picture decoded at full size; its facts and pixels.
    decoders::Picture full(const QString& name, const QByteArray& bytes) {
        EXPECT_FALSE(bytes.isEmpty()) << name.toStdString() << " was not made";
        return decoders::decodeFile(write(name, bytes));
    }
    QTemporaryDir dir;
};

// A PNG with an eXIf chunk holding exif right after its header, before the pixels.
QByteArray withPngExif(const QByteArray& png, const QByteArray& exif) {
    constexpr int kAfterHeader = 8 + 25; // the signature, then IHDR's length, name, body and CRC
    return png.left(kAfterHeader) + test::pngChunk("eXIf", exif) + png.mid(kAfterHeader);
}

// The HEIF file with its first pixi property (bits per channel, which libheif does without)
// made an irot of the same size turning it angle quarter turns anticlockwise.
QByteArray withIrotForPixi(QByteArray heif, int angle) {
    const qsizetype at = heif.indexOf("pixi");
    if (at < 0)
        return {};
    heif.replace(at, 4, "irot");
    heif[at + 4] = char(angle);
    return heif;
}

TEST_F(TodaysPictures, EveryFormatThatCarriesAnOrientationComesOutUpright) {
    // 40 x 20, turned a quarter clockwise by each file's own means: upright it is 20 x 40,
    // red above blue.
    const QImage picture = halves(40, 20);
    const QByteArray png = toPng(picture);
    const QByteArray webp =
        convertFile("cwebp", {"-quiet", "{in}", "-o", "{out}"}, png, "in.png", "out.webp");
    const QByteArray jpeg = runTool("gm", {"convert", "-", "jpg:-"}, png);
    const QByteArray turnedJpeg = fixtures::withExifOrientation(jpeg, 6);
    const QString exif = write("exif.bin", fixtures::exifBlock(6));
    const QByteArray heic =
        convertFile("heif-enc", {"{in}", "-o", "{out}"}, turnedJpeg, "in.jpg", "out.heic");
    struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"exif.jpg", turnedJpeg},
        {"exif.png", withPngExif(png, fixtures::exifBlock(6))},
        // Some writers put JPEG's "Exif\0\0" before the TIFF structure, which libpng refuses.
        {"prefixed.png", withPngExif(png, QByteArray("Exif\0\0", 6) + fixtures::exifBlock(6))},
        {"interlaced.png",
         withPngExif(runTool("gm", {"convert", "-interlace", "Line", "-", "png:-"}, png),
                     fixtures::exifBlock(6))},
        {"tag.tiff", runTool("gm", {"convert", "-orient", "RightTop", "-", "tiff:-"},
                             fixtures::toPpm(picture))},
        {"exif.webp", convertFile("webpmux", {"-set", "exif", exif, "{in}", "-o", "{out}"}, webp,
                                  "in.webp", "out.webp")},
        // irot counts anticlockwise quarter turns.
        {"irot.avif",
         convertFile("avifenc", {"--irot", "3", "{in}", "{out}"}, png, "in.png", "out.avif")},
        // cjxl keeps a JPEG's EXIF orientation as the codestream's own.
        {"exif.jxl", convertFile("cjxl", {"{in}", "{out}"}, turnedJpeg, "in.jpg", "out.jxl")},
        // heif-enc keeps a JPEG's EXIF block, orientation and all, and writes no irot.
        {"exif.heic", heic},
        {"thumbnail.heic", convertFile("heif-enc", {"-t", "16", "{in}", "-o", "{out}"}, turnedJpeg,
                                       "in.jpg", "out.heic")},
        // Turned by its own irot, which its EXIF orientation only repeats: turned once.
        {"irot.heic", withIrotForPixi(heic, 3)},
        // LibRaw reads no raw picture under 22 pixels a side.
        {"flip.dng", test::buildDng(jpeg, QSize(80, 40), 6)},
    };
    for (const Case& c : cases) {
        const decoders::Picture p = full(c.name, c.bytes);
        ASSERT_TRUE(p.ok()) << c.name << ": " << p.error.toStdString();
        const QSize upright = QString(c.name).endsWith("dng") ? QSize(40, 80) : QSize(20, 40);
        EXPECT_EQ(QSize(p.width, p.height), upright) << c.name;
        ASSERT_EQ(p.image.size(), QSize(20, 40)) << c.name;
        EXPECT_TRUE(reddish(p.image.pixelColor(10, 5))) << c.name;
        EXPECT_TRUE(bluish(p.image.pixelColor(10, 35))) << c.name;

        // The header says the same, and a preview reduced for a small box is upright too.
        const QByteArray path = QFile::encodeName(dir.filePath(c.name));
        const decoders::Picture facts = decoders::readFacts(path);
        EXPECT_EQ(QSize(facts.width, facts.height), upright) << c.name;
        const decoders::Picture preview = decoders::decodeFile(dir.filePath(c.name), QSize(8, 8));
        ASSERT_TRUE(preview.ok()) << c.name << ": " << preview.error.toStdString();
        EXPECT_EQ(QSize(preview.width, preview.height), upright) << c.name;
        const QImage& small = preview.image;
        EXPECT_GT(small.height(), small.width()) << c.name;
        EXPECT_TRUE(reddish(small.pixelColor(small.width() / 2, small.height() / 8))) << c.name;
        EXPECT_TRUE(bluish(small.pixelColor(small.width() / 2, small.height() * 7 / 8))) << c.name;
    }
}

TEST_F(TodaysPictures, AQuarterTurnedPictureIsReducedForTheUprightBox) {
    // Stored 160 x 40 and turned a quarter: upright 40 x 160, which fills a 40 x 160 box as it
    // is. Reduced for the box's sides taken the stored way round, it would come out 10 x 40.
    const QByteArray png = toPng(halves(160, 40));
    const QByteArray jpeg = runTool("gm", {"convert", "-", "jpg:-"}, png);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"tall.jpg", fixtures::withExifOrientation(jpeg, 6)},
        {"tall.png", withPngExif(png, fixtures::exifBlock(8))},
    };
    for (const auto& c : cases) {
        const decoders::Picture p = decoders::decodeFile(write(c.name, c.bytes), QSize(40, 160));
        ASSERT_TRUE(p.ok()) << c.name << ": " << p.error.toStdString();
        EXPECT_EQ(QSize(p.width, p.height), QSize(40, 160)) << c.name;
        EXPECT_EQ(p.image.size(), QSize(40, 160)) << c.name;
    }
}

TEST_F(TodaysPictures, DeepAndTransparentPicturesReportTheBitsTheyStore) {
    const QByteArray png = toPng(halves(24, 16));
    QImage translucent = halves(24, 16, QImage::Format_ARGB32);
    translucent.setPixel(0, 0, qRgba(255, 0, 0, 128));
    const QByteArray alphaPng = toPng(translucent);
    const QByteArray deepPng = toPng(halves(24, 16).convertToFormat(QImage::Format_RGBX64));
    const struct {
        const char* name;
        QByteArray bytes;
        int bits;
    } cases[] = {
        {"ten.avif", convertFile("avifenc", {"-d", "10", "{in}", "{out}"}, png, "in.png", "o.avif"),
         30},
        {"alpha.avif", convertFile("avifenc", {"{in}", "{out}"}, alphaPng, "in.png", "o.avif"), 32},
        {"grey.avif",
         convertFile("avifenc", {"-y", "400", "{in}", "{out}"}, png, "in.png", "o.avif"), 8},
        {"ten.heic",
         convertFile("heif-enc", {"-b", "10", "{in}", "-o", "{out}"}, deepPng, "in.png", "o.heic"),
         30},
        {"alpha.webp",
         convertFile("cwebp", {"-quiet", "{in}", "-o", "{out}"}, alphaPng, "in.png", "o.webp"), 32},
        {"alpha.jxl", convertFile("cjxl", {"{in}", "{out}"}, alphaPng, "in.png", "o.jxl"), 32},
        {"deep.pgm", QByteArray("P5 2 1 65535\n\x01\x02\x03\x04", 17), 16},
        {"deep.ppm", QByteArray("P6\n# a comment\n1 1\n1000\n\x01\x02\x03\x04\x05\x06", 30), 48},
        {"plain.pbm", QByteArray("P1 2 1\n0 1\n"), 1},
    };
    for (const auto& c : cases) {
        const decoders::Picture p = full(c.name, c.bytes);
        ASSERT_TRUE(p.ok()) << c.name << ": " << p.error.toStdString();
        EXPECT_EQ(p.bitsPerPixel, c.bits) << c.name;
    }
}

TEST_F(TodaysPictures, AnIconFileShowsItsLargestPicture) {
    const QByteArray small = fixtures::toPpm(halves(16, 16));
    const QByteArray large = fixtures::toPpm(halves(32, 32));
    write("small.ppm", small);
    write("large.ppm", large);
    const QByteArray ico =
        runTool("ppmtowinicon", {dir.filePath("small.ppm"), dir.filePath("large.ppm")}, {});
    const decoders::Picture p = full("two.ico", ico);
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(QSize(p.width, p.height), QSize(32, 32));
    EXPECT_TRUE(reddish(p.image.pixelColor(4, 16)));
    EXPECT_TRUE(bluish(p.image.pixelColor(28, 16)));
}

TEST_F(TodaysPictures, PreviewsDecodeReducedButReportTheFullSize) {
    const QByteArray png = toPng(halves(1200, 800));
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"big.webp",
         convertFile("cwebp", {"-quiet", "{in}", "-o", "{out}"}, png, "i.png", "o.webp")},
        {"big.jxl", convertFile("cjxl", {"{in}", "{out}"}, png, "i.png", "o.jxl")},
        {"big.avif", convertFile("avifenc", {"-s", "10", "{in}", "{out}"}, png, "i.png", "o.avif")},
        {"thumb.heic", convertFile("heif-enc", {"-t", "320", "-q", "30", "{in}", "-o", "{out}"},
                                   png, "i.png", "o.heic")},
        {"big.svg", QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='1200' height='800'>"
                               "<rect width='600' height='800' fill='red'/>"
                               "<rect x='600' width='600' height='800' fill='blue'/></svg>")},
    };
    for (const auto& c : cases) {
        ASSERT_FALSE(c.bytes.isEmpty()) << c.name << " was not made";
        const QString path = write(c.name, c.bytes);
        const decoders::Picture p = decoders::decodeFile(path, QSize(200, 200));
        ASSERT_TRUE(p.ok()) << c.name << ": " << p.error.toStdString();
        EXPECT_EQ(QSize(p.width, p.height), QSize(1200, 800)) << c.name;
        EXPECT_LE(p.image.width(), 400) << c.name;
        const int w = p.image.width(), h = p.image.height();
        EXPECT_TRUE(reddish(p.image.pixelColor(w / 4, h / 2))) << c.name;
        EXPECT_TRUE(bluish(p.image.pixelColor(w * 3 / 4, h / 2))) << c.name;
    }
}

TEST_F(TodaysPictures, SvgIsDrawnAtTheBoxSizeAndAsLibrsvgDrawsIt) {
    const QByteArray svg =
        "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 60 40' width='480' height='320'>"
        "<rect width='60' height='40' fill='white'/>"
        "<circle cx='20' cy='20' r='15' fill='#c03020'/>"
        "<path d='M35 5 L55 35 L35 35 Z' fill='#2050d0' stroke='black' stroke-width='1'/></svg>";
    const QString path = write("shapes.svg", svg);
    TGvbox preview(TGvbox::Mode::Preview);
    preview.setFileName(path);
    EXPECT_EQ(QSize(preview.bmpw(), preview.bmph()), QSize(480, 320));
    ASSERT_TRUE(preview.waitForPixels(10000));
    EXPECT_EQ(preview.shownImage().size(), QSize(200, 133)) << "drawn at the box, not shrunk";

    const QImage ours = decoders::decodeFile(path).image;
    const QImage theirs = QImage::fromData(runTool("rsvg-convert", {"--format", "png", path}, {}));
    ASSERT_EQ(theirs.size(), ours.size());
    int differing = 0;
    for (int y = 0; y < ours.height(); ++y)
        for (int x = 0; x < ours.width(); ++x) {
            const QColor a = ours.pixelColor(x, y), b = theirs.pixelColor(x, y);
            if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue()) >
                24)
                ++differing;
        }
    // Edges may be smoothed differently; the shapes and colours are the same.
    EXPECT_LT(differing, ours.width() * ours.height() / 50);
}

TEST_F(TodaysPictures, CameraRawShowsItsEmbeddedPreviewAtTheRawsFullSize) {
    const QByteArray jpeg = runTool("gm", {"convert", "-", "jpg:-"}, toPng(halves(24, 16)));
    const QString path = write("camera.nef", test::buildDng(jpeg, QSize(96, 64), 1));
    TGvbox preview(TGvbox::Mode::Preview);
    preview.setFileName(path);
    EXPECT_EQ(preview.bmpw(), 96);
    EXPECT_EQ(preview.bmph(), 64);
    EXPECT_EQ(preview.bmpc(), 24);

    // The full-size box spans the RAW's size and draws the smaller preview across it.
    TGvbox box(TGvbox::Mode::FullSize);
    box.setFileName(path);
    ASSERT_EQ(box.size(), QSize(96, 64));
    ASSERT_TRUE(box.waitForPixels(10000));
    QImage drawn(box.size(), QImage::Format_RGB32);
    drawn.fill(Qt::green);
    box.render(&drawn);
    EXPECT_TRUE(reddish(drawn.pixelColor(10, 32)));
    EXPECT_TRUE(bluish(drawn.pixelColor(85, 32)));
    box.setZoom(0.5f);
    ASSERT_EQ(box.size(), QSize(48, 32));

    // Saving writes the camera's picture.
    const QString saved = dir.filePath("saved.jpg");
    preview.setJPGSaveName(saved);
    const QImage written(saved);
    EXPECT_EQ(written.size(), QSize(24, 16));
    EXPECT_TRUE(bluish(written.pixelColor(20, 8)));
}

TEST(RawOrientation, FlagsStandForTheirExifOrientations) {
    // LibRaw's flag: 4 transposes, then 2 mirrors top to bottom, 1 left to right.
    const int expected[8] = {1, 2, 4, 3, 5, 8, 6, 7};
    for (int flip = 0; flip < 8; ++flip)
        EXPECT_EQ(decoders::orientationOfFlip(flip), expected[flip]) << flip;
    EXPECT_EQ(decoders::orientationOfFlip(-1), 1);
    EXPECT_EQ(decoders::orientationOfFlip(9), 1);
}

// The bytes of a literal, the zeros inside it included.
template <std::size_t N> QByteArray bytes(const char (&literal)[N]) {
    return QByteArray(literal, N - 1);
}

TEST(FormatChoice, TodaysSignaturesAndCameraRawNames) {
    auto ftyp = [](const char* major, const char* compatible) {
        QByteArray box("\0\0\0\x18"
                       "ftyp",
                       8);
        return box + QByteArray(major, 4) + QByteArray(4, '\0') + QByteArray(compatible, 4) +
               bytes("mif1");
    };
    const struct {
        QByteArray head;
        const char* name;
        Format expected;
    } cases[] = {
        {bytes("RIFF\x10\0\0\0WEBPVP8 "), "a.png", Format::WebP},
        {ftyp("heic", "mif1"), "a.jpg", Format::Heif},
        {ftyp("mif1", "heic"), "a.heif", Format::Heif},
        {ftyp("avif", "mif1"), "a.heic", Format::Avif},
        {ftyp("mif1", "avif"), "a.heic", Format::Avif},
        {ftyp("crx ", "isom"), "a.cr3", Format::Raw},
        {ftyp("isom", "mp41"), "a.mp4", Format::VideoStill},
        {ftyp("M4A ", "isom"), "a.m4a", Format::SoundStill},
        {bytes("\xFF\x0A\xFA"), "a", Format::Jxl},
        {bytes("\0\0\0\x0CJXL \r\n\x87\n"), "a", Format::Jxl},
        {"P6\n24 16\n255\n", "a.txt", Format::Pnm},
        {"P4 24 16\n", "a", Format::Pnm},
        {"P7\nWIDTH 2", "a.pnm", Format::Pnm}, // by its name: Qt says what it cannot read
        {bytes("II*\0\x08\0\0\0"), "a.tif", Format::Tiff},
        {bytes("II*\0\x08\0\0\0"), "a.TIFF", Format::Tiff},
        {bytes("II*\0\x08\0\0\0"), "a.NEF", Format::Raw},
        {bytes("MM\0*\0\0\0\x08"), "a.dng", Format::Raw},
        {bytes("IIRO\x08\0\0\0"), "a.orf", Format::Raw},
        {bytes("IIU\0\x08\0\0\0"), "a.rw2", Format::Raw},
        {"FUJIFILMCCD-RAW 0201", "a.raf", Format::Raw},
        {"<svg xmlns=", "a.svg", Format::Svg},
        {bytes("\x1F\x8B\x08"), "a.svgz", Format::Svg},
        {bytes("\0\0\1\0\1\0"), "a.ico", Format::Ico},
        {"ID3\x04", "a.mp3", Format::SoundStill},
        {"OggS", "a.opus", Format::SoundStill},
        {bytes("RIFF\x10\0\0\0WAVE"), "a.wav", Format::SoundStill},
        {bytes("\x1A\x45\xDF\xA3"), "a.mkv", Format::VideoStill},
        {bytes("RIFF\x10\0\0\0AVI "), "a.avi", Format::VideoStill},
        {"MThd", "a.mid", Format::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decoders::detectFormat(c.head, c.name), c.expected) << c.name;
}

} // namespace
