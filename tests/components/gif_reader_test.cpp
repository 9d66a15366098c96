// The decoder helper's own GIF reader, checked against Qt's reader (which the program uses for
// GIFs of a modest screen) on the same files: plain and interlaced pictures whose LZW tables
// fill up, a small transparent frame on a larger screen, previews, damaged files, and a tiny
// file claiming a huge screen.
#include "components/decoders/decode.h"
#include "components/decoders/gif_reader.h"
#include "fixtures.h"

#include <QBuffer>
#include <QColor>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using fixtures::Bytes;

QImage readWithQt(const QByteArray& gif) {
    QByteArray copy = gif;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "gif").read().convertToFormat(QImage::Format_ARGB32);
}

// Premultiplied, so that every transparent pixel is the same whatever colour it hides.
QImage comparable(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A picture of many colours in no order, so that the encoder's code table fills and restarts.
QImage noise(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const int v = int(state >> 16);
            image.setPixel(x, y, qRgb(v & 0xE0, (v << 3) & 0xE0, (v << 6) & 0xC0));
        }
    return image;
}

// LZW data of colour indexes with a minimum code size of 2, one literal code at a time and a
// clear code after every two, so the codes stay 3 bits wide.
QByteArray literalLzw(const QList<int>& indexes) {
    QList<int> codes{4};
    for (qsizetype i = 0; i < indexes.size(); ++i) {
        codes.append(indexes[i]);
        if (i % 2 == 1)
            codes.append(4);
    }
    codes.append(5);
    QByteArray packed;
    std::uint32_t bits = 0;
    int held = 0;
    for (const int code : codes) {
        bits |= std::uint32_t(code) << held;
        held += 3;
        while (held >= 8) {
            packed.append(char(bits & 0xFF));
            bits >>= 8;
            held -= 8;
        }
    }
    if (held > 0)
        packed.append(char(bits & 0xFF));
    return packed;
}

// A screen of width x height with a global table of four colours (background colour 2) and
// frames of one colour index each, at the given places; the first has colour 3 transparent.
QByteArray framedGif(int width, int height, const QList<QRect>& frames) {
    Bytes g;
    g.raw("GIF89a").le16(width).le16(height).u8(0x81).u8(2).u8(0);
    for (const QRgb c : {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)})
        g.u8(qRed(c)).u8(qGreen(c)).u8(qBlue(c));
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QRect f = frames[i];
        g.u8(0x21).u8(0xF9).u8(4).u8(i == 0 ? 1 : 0).le16(10).u8(3).u8(0);
        g.u8(0x2C).le16(f.x()).le16(f.y()).le16(f.width()).le16(f.height()).u8(0);
        QList<int> indexes;
        for (int k = 0; k < f.width() * f.height(); ++k)
            indexes.append(k % 2 ? 1 : 3); // red and transparent in turn
        const QByteArray data = literalLzw(indexes);
        g.u8(2);
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            g.u8(int(block.size())).raw(block);
        }
        g.u8(0);
    }
    g.u8(0x3B);
    return g.data;
}

TEST(GifReader, DecodesAsQtDoesWithTheHeaderFacts) {
    const QImage picture = noise(160, 120);
    const QByteArray plain =
        fixtures::runTool("gm", {"convert", "-", "gif:-"}, fixtures::toPpm(picture));
    const QByteArray interlaced = fixtures::runTool(
        "gm", {"convert", "-", "-interlace", "Line", "gif:-"}, fixtures::toPpm(picture));
    ASSERT_FALSE(plain.isEmpty());
    ASSERT_FALSE(interlaced.isEmpty());
    ASSERT_NE(interlaced, plain);
    const struct {
        const char* what;
        QByteArray bytes;
        bool animated;
    } files[] = {
        {"plain", plain, false},
        {"interlaced", interlaced, false},
        {"frame on a larger screen", framedGif(9, 7, {QRect(2, 1, 4, 3), QRect(0, 0, 1, 1)}), true},
        {"frame past the screen's edge", framedGif(6, 5, {QRect(4, 3, 5, 4)}), false},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.what);
        const QImage expected = readWithQt(f.bytes);
        ASSERT_FALSE(expected.isNull());
        const decoders::Picture p = decoders::readGif(f.bytes, {});
        ASSERT_TRUE(p.ok()) << p.error.toStdString();
        EXPECT_EQ(comparable(p.image), comparable(expected));
        EXPECT_EQ(p.animated, f.animated);
        const decoders::Picture facts = decoders::readGif(f.bytes, {}, true);
        EXPECT_TRUE(facts.image.isNull());
        EXPECT_EQ(QSize(facts.width, facts.height), expected.size());
        EXPECT_EQ(facts.bitsPerPixel, p.bitsPerPixel);
    }
    EXPECT_EQ(decoders::readGif(framedGif(9, 7, {QRect(2, 1, 4, 3)}), {}, true).bitsPerPixel, 2);
}

TEST(GifReader, PreviewsTheWholePictureAveraged) {
    const QImage picture = noise(160, 120);
    const QByteArray gif =
        fixtures::runTool("gm", {"convert", "-", "gif:-"}, fixtures::toPpm(picture));
    const QImage full = readWithQt(gif).convertToFormat(QImage::Format_RGB32);
    const decoders::Picture small = decoders::readGif(gif, QSize(40, 30));
    ASSERT_TRUE(small.ok()) << small.error.toStdString();
    EXPECT_EQ(QSize(small.width, small.height), QSize(160, 120));
    ASSERT_EQ(small.image.size(), QSize(40, 30));
    const QImage averaged = fixtures::averagedBlocks(full, 4);
    for (const QPoint at : {QPoint(0, 0), QPoint(17, 9), QPoint(39, 29)}) {
        const QColor got = small.image.pixel(at), want = averaged.pixel(at);
        EXPECT_NEAR(got.red(), want.red(), 1);
        EXPECT_NEAR(got.green(), want.green(), 1);
        EXPECT_NEAR(got.blue(), want.blue(), 1);
    }
}

TEST(GifReader, DamagedFilesShowWhatTheyHoldOrNothing) {
    const QImage picture = noise(160, 120);
    const QByteArray gif =
        fixtures::runTool("gm", {"convert", "-", "gif:-"}, fixtures::toPpm(picture));
    const QImage full = readWithQt(gif);
    // Cut inside the picture's data: the rows before the cut are there.
    const decoders::Picture cut = decoders::readGif(gif.left(gif.size() / 2), {});
    ASSERT_TRUE(cut.ok()) << cut.error.toStdString();
    const QImage cutImage = cut.image.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(cutImage.copy(0, 0, 160, 20), full.copy(0, 0, 160, 20));
    // Only the header and colour table, no frame; not a GIF at all.
    const QByteArray headerOnly = framedGif(9, 7, {}).chopped(1);
    EXPECT_FALSE(decoders::readGif(headerOnly, {}).ok());
    EXPECT_EQ(decoders::readGif(headerOnly, {}, true).width, 9) << "the header still tells";
    EXPECT_FALSE(decoders::readGif("GIF89a\x05", {}, true).error.isEmpty());
    EXPECT_FALSE(decoders::readGif("PNG", {}).error.isEmpty());
    // Codes that were never defined, and a minimum code size out of range.
    QByteArray garbage = gif;
    for (qsizetype i = gif.size() / 3; i < gif.size() / 3 + 40; ++i)
        garbage[i] = char(0xFF);
    const decoders::Picture damaged = decoders::readGif(garbage, {});
    EXPECT_TRUE(damaged.ok()) << damaged.error.toStdString();
    EXPECT_EQ(damaged.width, 160);
    QByteArray badCodeSize = framedGif(9, 7, {QRect(2, 1, 4, 3)});
    badCodeSize[badCodeSize.indexOf(QByteArray("\x2C\x02\x00", 3)) + 10] = 12;
    EXPECT_FALSE(decoders::readGif(badCodeSize, {}).ok());
}

TEST(GifReader, AHugeScreenPreviewsSmallThroughTheHelper) {
    // 16000 x 16000 claimed by an 80-byte file with two one-pixel frames: Qt's reader needs a
    // gigabyte for it.
    const QByteArray gif = framedGif(16000, 16000, {QRect(0, 0, 1, 1), QRect(1, 1, 1, 1)});
    QTemporaryDir dir;
    const QByteArray path = fixtures::writeNative(dir.filePath("screen.gif"), gif);
    decoders::DecodeOptions preview;
    preview.hint = QSize(200, 200);
    const decoders::Picture p = decoders::decodeFile(path, preview);
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    EXPECT_EQ(QSize(p.width, p.height), QSize(16000, 16000));
    EXPECT_EQ(p.image.size(), QSize(200, 200));
    EXPECT_EQ(p.bitsPerPixel, 2);
    EXPECT_TRUE(p.animated);
    EXPECT_EQ(qAlpha(p.image.pixel(100, 100)), 0) << "the screen around a transparent frame";
}

} // namespace
