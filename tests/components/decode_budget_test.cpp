// Hostile and unusual files against the decode budget: what a small file can make a decoder
// do (too many scans, a huge claimed size), previews that must not hold the whole picture, and
// files that used to come out wrong.
#include "components/decoders/decode.h"
#include "components/decoders/helper_client.h"
#include "components/decoders/jpeg_reader.h"
#include "components/image_box.h"
#include "fixtures.h"

#include <QColor>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

class DecodeBudget : public ::testing::Test {
protected:
    QByteArray write(const QString& name, const QByteArray& bytes) {
        return fixtures::writeNative(dir.filePath(name), bytes);
    }
    static decoders::DecodeOptions preview() {
        decoders::DecodeOptions o;
        o.hint = QSize(200, 200);
        return o;
    }
    QTemporaryDir dir;
};

// A progressive grey JPEG whose scan script sends every AC coefficient in a scan of its own
// (64 scans, valid), then with its last scan repeated: libjpeg only warns about a repeated
// scan, so a hostile file can hold thousands of them.
QByteArray scanHeavyJpeg(int repeats) {
    QByteArray script = "0: 0 0 0 0;\n";
    for (int k = 1; k < 64; ++k)
        script += "0: " + QByteArray::number(k) + " " + QByteArray::number(k) + " 0 0;\n";
    QTemporaryDir dir;
    QFile file(dir.filePath("scans.txt"));
    file.open(QIODevice::WriteOnly);
    file.write(script);
    file.close();
    const QByteArray grey =
        fixtures::runTool("cjpeg", {"-grayscale"}, fixtures::toPpm(fixtures::colourPicture()));
    const QByteArray jpeg = fixtures::runTool("jpegtran", {"-scans", file.fileName()}, grey);
    const qsizetype lastScan = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    if (jpeg.isEmpty() || lastScan < 0 || !jpeg.endsWith(QByteArray("\xFF\xD9", 2)))
        return {};
    const QByteArray scan = jpeg.mid(lastScan, jpeg.size() - 2 - lastScan);
    return jpeg.left(jpeg.size() - 2) + scan.repeated(repeats) + QByteArray("\xFF\xD9", 2);
}

TEST_F(DecodeBudget, AJpegWithHundredsOfScansIsRefusedAndOneWithDozensDecodes) {
    const QByteArray some = scanHeavyJpeg(0);  // 64 scans
    const QByteArray many = scanHeavyJpeg(60); // 124 scans
    ASSERT_FALSE(some.isEmpty());
    const decoders::Picture read = decoders::decodeFile(write("some.jpg", some));
    EXPECT_TRUE(read.ok()) << read.error.toStdString();
    EXPECT_EQ(read.bitsPerPixel, 8);
    const decoders::Picture refused = decoders::decodeFile(write("many.jpg", many));
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.error.toStdString(), "too many scans");
}

TEST_F(DecodeBudget, APictureBeyondTheMemoryBudgetIsRefusedBeforeItsPixels) {
    // 20000 x 20000 claimed by a PNG header; the budget holds less than its 1.6 GB of pixels.
    ::setenv("GLIMRA_DECODE_MEMORY", "256M", 1);
    QByteArray row(3 * 20000, '\x40');
    const QByteArray png = fixtures::buildPng(20000, 20000, row); // one row of data only
    const QByteArray path = write("huge.png", png);
    QElapsedTimer timer;
    timer.start();
    const decoders::Picture full = decoders::decodeFile(path);
    EXPECT_FALSE(full.ok());
    EXPECT_EQ(full.error.toStdString(), "picture too large");
    // The preview needs only a reduced picture, which fits; the file then ends early.
    const decoders::Picture small = decoders::decodeFile(path, preview());
    EXPECT_FALSE(small.ok());
    EXPECT_LT(timer.elapsed(), 3000);
    // The facts come from the header alone.
    const decoders::Picture facts = decoders::readFacts(path);
    EXPECT_EQ(facts.width, 20000);
    EXPECT_EQ(facts.bitsPerPixel, 24);
    ::unsetenv("GLIMRA_DECODE_MEMORY");
}

// Peak resident memory of a process (its /proc folder) in KiB, after clearing it when reset is
// set; -1 when it cannot be read.
long peakKiB(const QString& procDir, bool reset) {
    if (reset) {
        QFile clear(procDir + "/clear_refs");
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
    }
    QFile status(procDir + "/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// The same for this process.
long peakKiB(bool reset) {
    return peakKiB(QStringLiteral("/proc/self"), reset);
}

// Decodes path at full size under the budget in force, which refuses it before its pixels: the
// general helper (process helper) neither grows by 64 MiB nor is stopped from outside.
void expectRefusedByTheHelperItself(const QByteArray& path, pid_t helper) {
    const QString helperProc = QStringLiteral("/proc/%1").arg(helper);
    const long before = peakKiB(helperProc, true);
    const decoders::Picture full = decoders::decodeFile(path);
    EXPECT_FALSE(full.ok());
    EXPECT_EQ(full.error.toStdString(), "picture needs too much memory");
    EXPECT_EQ(decoders::helperPid(decoders::HelperKind::General), helper)
        << "the helper was stopped from outside";
    EXPECT_LT(peakKiB(helperProc, false) - before, 64 * 1024) << "the helper grew";
}

TEST_F(DecodeBudget, AGifClaimingAHugeScreenIsDecodedOutsideTheProgram) {
    // A 6000 x 5000 screen (120 MB as 32-bit pixels) holding one pixel: Qt's reader takes the
    // whole screen for it, which only the helper may spend.
    QByteArray gif("GIF89a");
    gif += QByteArray("\x70\x17\x88\x13\x80\0\0", 7) + QByteArray("\0\0\0\xFF\xFF\xFF", 6);
    gif += QByteArray("\x2C\0\0\0\0\x01\0\x01\0\0", 10) + QByteArray("\x02\x02\x44\x01\0\x3B", 6);
    const QByteArray path = write("screen.gif", gif);
    decoders::decodeFile(write("warm.tga", fixtures::fixtureByExtension()["tga"].bytes));
    const long before = peakKiB(true);
    const decoders::Picture p = decoders::decodeFile(path, preview());
    const long grown = peakKiB(false) - before;
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(p.width, 6000);
    EXPECT_EQ(p.height, 5000);
    EXPECT_LT(grown, 40 * 1024) << "the program took the screen's memory itself";
    // Its facts come from the header, without decoding the screen anywhere.
    const decoders::Picture facts = decoders::readFacts(path);
    EXPECT_EQ(facts.width, 6000);
    EXPECT_EQ(facts.bitsPerPixel, 1);
}

TEST_F(DecodeBudget, OwnFormatsClaimingHugePicturesPreviewInThePreviewsMemory) {
    // Whole, these pictures take 400 MB (GEM, PC Paint: a byte a pixel), 50 MB (MS Paint: a bit
    // a pixel) and 144 MB (IFF, as 32-bit pixels); a preview holds a few hundred kilobytes.
    using decoders::Format;
    const struct {
        QByteArray bytes;
        Format format;
        int side;
    } files[] = {
        {fixtures::hugeGemImg(20000), Format::GemImg, 20000},
        {fixtures::hugePcPaint(20000), Format::PcPaint, 20000},
        {fixtures::hugeMsp(20000), Format::Msp, 20000},
        {fixtures::hugeIlbm(6000), Format::Ilbm, 6000},
    };
    decoders::decodeBytes(fixtures::buildPcPaint(), Format::PcPaint, QSize(200, 200));
    for (const auto& f : files) {
        const long before = peakKiB(true);
        const decoders::Picture p = decoders::decodeBytes(f.bytes, f.format, QSize(200, 200));
        const long grown = peakKiB(false) - before;
        ASSERT_TRUE(p.ok()) << int(f.format) << ": " << p.error.toStdString();
        EXPECT_EQ(p.width, f.side);
        EXPECT_EQ(p.height, f.side);
        EXPECT_EQ(p.image.size(), QSize(200, 200));
        EXPECT_LT(grown, 20 * 1024) << int(f.format) << ": the whole picture was held";
    }
    // Every pixel of the PC Paint file has colour 7 (a grey ramp's 7, 7, 7).
    const decoders::Picture pic =
        decoders::decodeBytes(files[1].bytes, Format::PcPaint, QSize(200, 200));
    EXPECT_EQ(QColor(pic.image.pixel(199, 199)), QColor(7, 7, 7));
}

TEST_F(DecodeBudget, AnInterlacedPngPreviewsReducedWithTheColoursOfTheFullPicture) {
    QImage picture(1200, 800, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, x < 600 ? qRgb(200, 40, 40) : qRgb(40, 40, 200 - y / 8));
    const QByteArray interlaced = fixtures::runTool(
        "gm", {"convert", "-", "-interlace", "Line", "png:-"}, fixtures::toPpm(picture));
    ASSERT_FALSE(interlaced.isEmpty());
    ASSERT_EQ(interlaced[28], 1) << "the fixture is not interlaced";
    const QByteArray path = write("adam7.png", interlaced);
    const decoders::Picture full = decoders::decodeFile(path);
    ASSERT_TRUE(full.ok()) << full.error.toStdString();
    EXPECT_EQ(full.image.convertToFormat(QImage::Format_RGB32), picture);
    const decoders::Picture small = decoders::decodeFile(path, preview());
    ASSERT_TRUE(small.ok()) << small.error.toStdString();
    EXPECT_EQ(small.width, 1200);
    EXPECT_EQ(small.bitsPerPixel, 24);
    EXPECT_EQ(small.image.size(), QSize(200, 134)) << "reduced by 6, rounded up";
    for (const QPoint at : {QPoint(10, 10), QPoint(90, 120), QPoint(110, 5), QPoint(190, 130)}) {
        const QColor expected = picture.pixel(at * 6);
        const QColor got = small.image.pixel(at);
        EXPECT_NEAR(got.red(), expected.red(), 2) << at.x() << "," << at.y();
        EXPECT_NEAR(got.blue(), expected.blue(), 2) << at.x() << "," << at.y();
    }
}

// An 8-bit grey Adam7 PNG of value(x, y), each pass's rows unfiltered.
QByteArray adam7Grey(int width, int height, const std::function<int(int, int)>& value) {
    static const int start[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {1, 0}, {0, 1}};
    static const int step[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4}, {2, 4}, {2, 2}, {1, 2}};
    QByteArray raw;
    for (int p = 0; p < 7; ++p)
        for (int y = start[p][1]; y < height; y += step[p][1]) {
            raw.append('\0');
            for (int x = start[p][0]; x < width; x += step[p][0])
                raw.append(char(value(x, y)));
        }
    fixtures::Bytes ihdr;
    ihdr.be32(std::uint32_t(width)).be32(std::uint32_t(height)).u8(8).u8(0).u8(0).u8(0).u8(1);
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + fixtures::pngChunk("IHDR", ihdr.data) +
           fixtures::pngChunk("IDAT", qCompress(raw, 1).mid(4)) + fixtures::pngChunk("IEND", {});
}

TEST_F(DecodeBudget, AHugeInterlacedPngPreviewsFromItsFirstPassesStillAveraged) {
    // 20 megapixels in four grey quarters; the top left one alternates 0 and 200 by column.
    const int w = 5000, h = 4000;
    const auto value = [&](int x, int y) {
        if (x < w / 2)
            return y < h / 2 ? (x % 2 ? 200 : 0) : 80;
        return y < h / 2 ? 160 : 240;
    };
    const QByteArray path = write("huge-adam7.png", adam7Grey(w, h, value));
    const long before = peakKiB(true);
    const decoders::Picture p = decoders::decodeFile(path, preview());
    const long grown = peakKiB(false) - before;
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(QSize(p.width, p.height), QSize(w, h));
    ASSERT_EQ(p.image.size(), QSize(200, 160));
    EXPECT_LT(grown, 30 * 1024) << "the whole picture was held";
    // Each preview pixel is the average of its block of the whole picture.
    const int r = w / p.image.width();
    for (const QPoint at :
         {QPoint(50, 40), QPoint(51, 40), QPoint(150, 40), QPoint(50, 120), QPoint(150, 120)}) {
        int sum = 0;
        for (int y = at.y() * r; y < (at.y() + 1) * r; ++y)
            for (int x = at.x() * r; x < (at.x() + 1) * r; ++x)
                sum += value(x, y);
        EXPECT_NEAR(qGray(p.image.pixel(at)), sum / (r * r), 1) << at.x() << "," << at.y();
    }
}

TEST_F(DecodeBudget, OneAndEightBitPicturesShrinkThroughTheirPalette) {
    QImage indexed(40, 20, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 0, 0)});
    QImage mono(40, 20, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            indexed.setPixel(x, y, x < 20 ? (x + y) % 2 : 2); // a checker, then red
            mono.setPixel(x, y, (x + y) % 2);
        }
    const QImage a = decoders::shrinkByBlocks(indexed, 4);
    ASSERT_EQ(a.size(), QSize(10, 5));
    EXPECT_EQ(QColor(a.pixel(2, 2)), QColor(127, 127, 127)) << "the checker averages to grey";
    EXPECT_EQ(QColor(a.pixel(7, 2)), QColor(255, 0, 0));
    const QImage b = decoders::shrinkByBlocks(mono, 2);
    ASSERT_EQ(b.size(), QSize(20, 10));
    EXPECT_EQ(QColor(b.pixel(19, 9)), QColor(127, 127, 127));
    // A picture thinner than the reduction keeps one pixel across.
    EXPECT_EQ(decoders::shrinkByBlocks(indexed.copy(0, 0, 3, 20), 4).size(), QSize(1, 5));
}

// The exact average of block (bx, by) of r x r pixels, through the palette, with rows and
// columns past the picture's edge repeating its last ones.
QColor exactBlockAverage(const QImage& image, int bx, int by, int r) {
    long red = 0, green = 0, blue = 0, alpha = 0;
    for (int dy = 0; dy < r; ++dy)
        for (int dx = 0; dx < r; ++dx) {
            const QRgb c = image.pixel(std::min(bx * r + dx, image.width() - 1),
                                       std::min(by * r + dy, image.height() - 1));
            red += qRed(c), green += qGreen(c), blue += qBlue(c), alpha += qAlpha(c);
        }
    const long n = long(r) * r;
    return QColor(int(red / n), int(green / n), int(blue / n), int(alpha / n));
}

// A two-colour 1-bit, 8-bit or grey picture whose pixel (x, y) has colour 1 where on(x, y).
QImage twoColourPicture(QImage::Format format, QSize size,
                        const std::function<bool(int, int)>& on) {
    QImage image(size, format);
    if (format == QImage::Format_Grayscale8)
        image.fill(0);
    else
        image.setColorTable({qRgb(200, 30, 0), qRgb(10, 60, 250)});
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           format == QImage::Format_Grayscale8
                               ? (on(x, y) ? 0xFFC8C8C8u : 0xFF000000u)
                               : uint(on(x, y)));
    return image;
}

TEST_F(DecodeBudget, LargeReductionsSampleEachBlockYetFinePatternsAverageAsAWhole) {
    // Dithers and stripes that repeat every 2 to 16 pixels, and 3-pixel stripes that repeat
    // every 6, each of which a preview must show as the mixture of its two colours.
    const std::vector<std::pair<const char*, std::function<bool(int, int)>>> patterns = {
        {"alternate columns", [](int x, int) { return x % 2 == 1; }},
        {"alternate rows", [](int, int y) { return y % 2 == 0; }},
        {"checker", [](int x, int y) { return (x + y) % 2 == 1; }},
        {"2-pixel checker", [](int x, int y) { return (x / 2 + y / 2) % 2 == 1; }},
        {"one column in four", [](int x, int) { return x % 4 == 3; }},
        {"4 x 4 dither", [](int x, int y) { return (x % 4) * 4 + y % 4 < 5; }},
        {"8-pixel rows", [](int, int y) { return y / 8 % 2 == 0; }},
        {"4-pixel columns", [](int x, int) { return x / 4 % 2 == 1; }},
        {"3-pixel columns", [](int x, int) { return x / 3 % 2 == 0; }},
    };
    for (const QImage::Format format :
         {QImage::Format_Indexed8, QImage::Format_Mono, QImage::Format_Grayscale8})
        for (const auto& [name, on] : patterns) {
            // The share of the pattern's pixels that are on, over whole periods (48 x 48).
            int count = 0;
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 48; ++x)
                    count += on(x, y);
            const double share = count / (48.0 * 48.0);
            const QImage tile =
                twoColourPicture(format, QSize(1, 1), [](int, int) { return false; });
            const QColor off(tile.pixel(0, 0));
            const QImage tileOn =
                twoColourPicture(format, QSize(1, 1), [](int, int) { return true; });
            const QColor onColour(tileOn.pixel(0, 0));
            for (const int r : {17, 24, 32, 48, 64, 80, 100, 128}) {
                const QImage image = twoColourPicture(format, QSize(3 * r + 5, 2 * r + 1), on);
                const QImage small = decoders::shrinkByBlocks(image, r);
                ASSERT_EQ(small.size(), QSize(3, 2));
                for (int by = 0; by < 2; ++by)
                    for (int bx = 0; bx < 3; ++bx) {
                        const QColor got(small.pixel(bx, by));
                        const auto check = [&](int value, int from, int to, const char* channel) {
                            // The samples of a block cover whole periods of a pattern that
                            // repeats in a power of two; of the 3-pixel stripes they cover two
                            // and then four pixels of a third along each row.
                            const double tolerance = std::string(name) == "3-pixel columns"
                                                         ? std::abs(to - from) / 16.0 + 1
                                                         : 1;
                            EXPECT_NEAR(value, from + (to - from) * share, tolerance)
                                << name << ", r = " << r << ", format " << format << ", " << channel
                                << " at " << bx << "," << by;
                        };
                        check(got.red(), off.red(), onColour.red(), "red");
                        check(got.green(), off.green(), onColour.green(), "green");
                        check(got.blue(), off.blue(), onColour.blue(), "blue");
                    }
            }
        }
}

TEST_F(DecodeBudget, ReductionsUpToSixteenAverageEveryPixelExactly) {
    // A picture of 256 colours scattered so that no two neighbours repeat, and its 1-bit and grey
    // versions; the sizes are no multiple of r, and the thin ones narrower or lower than r.
    QImage indexed(53, 37, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgba(i, (i * 37) & 255, (i * 101) & 255, 255 - (i * 13 & 127)));
    indexed.setColorTable(table);
    std::uint32_t seed = 12345;
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            indexed.setPixel(x, y, seed >> 24);
        }
    QImage mono(indexed.size(), QImage::Format_MonoLSB);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    QImage grey(indexed.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x) {
            mono.setPixel(x, y, indexed.pixelIndex(x, y) & 1);
            grey.scanLine(y)[x] = uchar(indexed.pixelIndex(x, y));
        }
    for (const QImage& whole : {indexed, mono, grey})
        for (const QImage& image : {whole, whole.copy(0, 0, 7, 37), whole.copy(0, 0, 53, 5)})
            for (int r = 2; r <= 16; ++r) {
                const QImage small = decoders::shrinkByBlocks(image, r);
                ASSERT_EQ(small.size(),
                          QSize(std::max(1, image.width() / r), std::max(1, image.height() / r)));
                for (int by = 0; by < small.height(); ++by)
                    for (int bx = 0; bx < small.width(); ++bx)
                        ASSERT_EQ(QColor::fromRgba(small.pixel(bx, by)),
                                  exactBlockAverage(image, bx, by, r))
                            << "format " << image.format() << " " << image.width() << " x "
                            << image.height() << " r=" << r << " at " << bx << "," << by;
            }
}

TEST_F(DecodeBudget, ADibWithoutItsFileHeaderPreviewsAtItsOwnSize) {
    const QImage picture = fixtures::fourColourPicture().scaled(320, 200);
    const QByteArray bmp = fixtures::runTool("ppmtobmp", {"-bpp", "8"}, fixtures::toPpm(picture));
    ASSERT_GT(bmp.size(), 14);
    const QByteArray path = write("bare.dib", bmp.mid(14));
    for (const bool small : {false, true}) {
        const decoders::Picture p =
            decoders::decodeFile(path, small ? preview() : decoders::DecodeOptions());
        ASSERT_TRUE(p.ok()) << p.error.toStdString();
        EXPECT_EQ(p.width, 320) << (small ? "preview" : "full size");
        EXPECT_EQ(p.height, 200) << (small ? "preview" : "full size");
    }
    const decoders::Picture facts = decoders::readFacts(path);
    EXPECT_EQ(facts.width, 320);
    EXPECT_EQ(facts.height, 200);
}

TEST_F(DecodeBudget, AMetafileWithTextDrawsItsText) {
    const QByteArray plain = write("plain.wmf", fixtures::buildWmf());
    const QByteArray text = write("text.wmf", fixtures::buildWmf(fixtures::wmfTextRecords("Hi")));
    const decoders::Picture a = decoders::decodeFile(plain);
    const decoders::Picture b = decoders::decodeFile(text);
    ASSERT_TRUE(a.ok()) << a.error.toStdString();
    ASSERT_TRUE(b.ok()) << b.error.toStdString();
    EXPECT_NE(a.image.convertToFormat(QImage::Format_RGB32),
              b.image.convertToFormat(QImage::Format_RGB32))
        << "the text left no mark";
}

// A grey width x height progressive JPEG of `scans` scans: the DC scan, one scan of every AC
// coefficient (of a single grey, all zero: a few bytes however large the picture), and that
// scan again until the count is reached. Empty when the tools fail.
QByteArray progressiveGrey(int width, int height, int scans) {
    QTemporaryDir dir;
    QFile script(dir.filePath("scans.txt"));
    script.open(QIODevice::WriteOnly);
    script.write("0: 0 0 0 0;\n0: 1 63 0 0;\n");
    script.close();
    const QByteArray pgm = "P5\n" + QByteArray::number(width) + " " + QByteArray::number(height) +
                           "\n255\n" + QByteArray(qsizetype(width) * height, '\xA0');
    const QByteArray jpeg =
        fixtures::runTool("cjpeg", {"-grayscale", "-scans", script.fileName()}, pgm);
    const qsizetype lastScan = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    if (lastScan < 0 || !jpeg.endsWith(QByteArray("\xFF\xD9", 2)))
        return {};
    const QByteArray scan = jpeg.mid(lastScan, jpeg.size() - 2 - lastScan);
    return jpeg.left(jpeg.size() - 2) + scan.repeated(scans - 2) + QByteArray("\xFF\xD9", 2);
}

TEST_F(DecodeBudget, AProgressiveJpegBeyondTheCoefficientLimitIsDecodedOutsideTheProgram) {
    // 8192 x 8200 grey: its coefficients take 1024 x 1025 blocks of 128 bytes, just over the
    // 128 MiB the program decodes itself. The helper decodes it; the program holds the preview.
    const QByteArray jpeg = progressiveGrey(8192, 8200, 2);
    ASSERT_FALSE(jpeg.isEmpty());
    const QByteArray path = write("coefficients.jpg", jpeg);
    decoders::decodeFile(write("warm.tga", fixtures::fixtureByExtension()["tga"].bytes));
    const long before = peakKiB(true);
    const decoders::Picture p = decoders::decodeFile(path, preview());
    const long grown = peakKiB(false) - before;
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(QSize(p.width, p.height), QSize(8192, 8200));
    EXPECT_EQ(p.bitsPerPixel, 8);
    EXPECT_LE(p.image.width(), 8192 / 8) << "not decoded reduced";
    EXPECT_EQ(qGray(p.image.pixel(10, 10)), 0xA0);
    EXPECT_LT(grown, 40 * 1024) << "the program held the coefficients itself";
}

TEST_F(DecodeBudget, AJpegOfSixtyFourScansOverSixtyFourMegapixelsIsRefused) {
    // 64 scans are within the count a file may have, but each goes over 8000 x 8000 pixels:
    // over the scans-times-pixels limit before the last one.
    ASSERT_GT(64 * 8000.0 * 8000.0, decoders::kMaxScanPixels);
    ASSERT_LE(64, decoders::kMaxScans);
    const QByteArray jpeg = progressiveGrey(8000, 8000, 64);
    ASSERT_FALSE(jpeg.isEmpty());
    const decoders::Picture p = decoders::decodeFile(write("64-scans.jpg", jpeg), preview());
    EXPECT_FALSE(p.ok());
    EXPECT_EQ(p.error.toStdString(), "too many scans");
}

TEST_F(DecodeBudget, AMetafileClaimingAHugePicturePreviewsSmallAndIsRefusedBeyondTheBudget) {
    const QByteArray path = write("huge.wmf", fixtures::hugeWmf(20000));
    const decoders::Picture facts = decoders::readFacts(path);
    EXPECT_EQ(QSize(facts.width, facts.height), QSize(20000, 20000));
    // The preview draws the metafile at a reduced density: a few hundred pixels of red.
    const decoders::Picture small = decoders::decodeFile(path, preview());
    ASSERT_TRUE(small.ok()) << small.error.toStdString();
    EXPECT_EQ(QSize(small.width, small.height), QSize(20000, 20000));
    ASSERT_LE(small.image.width(), 400);
    ASSERT_GE(small.image.width(), 100);
    EXPECT_NEAR(small.image.height(), small.image.width(), 2);
    EXPECT_EQ(QColor(small.image.pixel(small.image.width() / 2, small.image.height() / 2)),
              QColor(Qt::red));
    // At full size (4.8 GB as GraphicsMagick holds it) a small budget refuses it before it is
    // drawn: the helper neither grows nor has to be stopped.
    const fixtures::ScopedEnv memory("GLIMRA_DECODE_MEMORY", "256M");
    const pid_t helper = decoders::helperPid(decoders::HelperKind::General);
    ASSERT_GT(helper, 0);
    expectRefusedByTheHelperItself(path, helper);
}

TEST_F(DecodeBudget, AWpgClaimingAHugePictureEndsUnreadableOrRefusedOnItsOwn) {
    // One run of pixels where 20000 x 20000 are claimed. Its preview ends by itself (unreadable,
    // or refused where the budget is small), neither run out of its time nor stopped from
    // outside.
    const QByteArray path = write("huge.wpg", fixtures::hugeWpg(20000));
    const decoders::Picture shown = decoders::decodeFile(path, preview());
    EXPECT_FALSE(shown.ok());
    EXPECT_NE(shown.error.toStdString(), "decoding took too long");
    const pid_t helper = decoders::helperPid(decoders::HelperKind::General);
    ASSERT_GT(helper, 0) << "the helper was stopped: " << shown.error.toStdString();
    // A budget below its 4.8 GB (as GraphicsMagick holds it) refuses it before its pixels.
    const fixtures::ScopedEnv memory("GLIMRA_DECODE_MEMORY", "1G");
    expectRefusedByTheHelperItself(path, helper);
}

TEST_F(DecodeBudget, PixelsAnRle8BmpSkipsHaveColourZero) {
    // Each row one white pixel, then the end of its line: the rest is never written.
    const decoders::Picture p =
        decoders::decodeFile(write("rows.bmp", fixtures::hugeRle8Bmp(40, true)));
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    ASSERT_EQ(p.image.size(), QSize(40, 40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(QColor(p.image.pixel(x, y)), x == 0 ? QColor(Qt::white) : QColor(Qt::black))
                << x << "," << y;
}

TEST_F(DecodeBudget, Rle8BmpsClaimingHugePicturesCostTheProgramLittle) {
    decoders::decodeFile(write("warm.tga", fixtures::fixtureByExtension()["tga"].bytes));
    // 1 KB claiming 20000 x 20000 (400 MB at a byte a pixel): refused, or shown small.
    const QByteArray bmp = fixtures::hugeRle8Bmp(20000);
    ASSERT_LT(bmp.size(), 1200);
    const QByteArray path = write("rle8-20000.bmp", bmp);
    const decoders::Picture facts = decoders::readFacts(path);
    EXPECT_EQ(QSize(facts.width, facts.height), QSize(20000, 20000));
    for (const bool small : {true, false}) {
        const char* mode = small ? "preview" : "full size";
        const long before = peakKiB(true);
        const decoders::Picture p =
            decoders::decodeFile(path, small ? preview() : decoders::DecodeOptions());
        const long grown = peakKiB(false) - before;
        EXPECT_NE(p.error.toStdString(), "decoding took too long") << mode;
        if (p.ok()) {
            EXPECT_LE(p.image.width(), small ? 400 : 0) << mode;
        }
        EXPECT_LT(grown, 40 * 1024) << mode << ": the program took the picture's memory";
    }
    // 64 KB claiming 16000 x 16000 that write a pixel at the start of every row, a quarter of
    // the memory pages of its 256 MB: the helper decodes it, the program maps its pixels.
    const QByteArray marked = write("rle8-16000.bmp", fixtures::hugeRle8Bmp(16000, true));
    const long before = peakKiB(true);
    const decoders::Picture p = decoders::decodeFile(marked);
    const long grown = peakKiB(false) - before;
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    ASSERT_EQ(p.image.size(), QSize(16000, 16000));
    for (const int y : {0, 8000, 15999}) {
        EXPECT_EQ(QColor(p.image.pixel(0, y)), QColor(Qt::white)) << y;
        EXPECT_EQ(QColor(p.image.pixel(1, y)), QColor(Qt::black)) << y << ": a pixel never written";
    }
    EXPECT_LT(grown, 40 * 1024) << "the program decoded the picture itself";
}

} // namespace
