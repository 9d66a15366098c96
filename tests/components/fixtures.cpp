#include "fixtures.h"

#include "todays_fixtures.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>

namespace fixtures {

int patternIndex(int x, int y, int colours) {
    return (x / 3 + (y / 4) * 3) % colours;
}

QImage colourPicture() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            image.setPixel(x, y, qRgb(x * 10, y * 15, (x * y) % 256));
    return image;
}

QImage fourColourPicture() {
    static const QRgb colours[4] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255),
                                    qRgb(255, 255, 255)};
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            image.setPixel(x, y, colours[x / 6]);
    return image;
}

QByteArray toPpm(const QImage& image) {
    QByteArray out =
        QStringLiteral("P6\n%1 %2\n255\n").arg(image.width()).arg(image.height()).toLatin1();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            out.append(char(qRed(c))).append(char(qGreen(c))).append(char(qBlue(c)));
        }
    return out;
}

QByteArray toPbm(const QImage& image) {
    QByteArray out =
        QStringLiteral("P4\n%1 %2\n").arg(image.width()).arg(image.height()).toLatin1();
    for (int y = 0; y < image.height(); ++y) {
        QByteArray row((image.width() + 7) / 8, '\0');
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

QImage averagedBlocks(const QImage& image, int r) {
    QImage out(image.width() / r, image.height() / r, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            int sums[3] = {0, 0, 0};
            for (int dy = 0; dy < r; ++dy)
                for (int dx = 0; dx < r; ++dx) {
                    const QRgb c = image.pixel(x * r + dx, y * r + dy);
                    sums[0] += qRed(c), sums[1] += qGreen(c), sums[2] += qBlue(c);
                }
            out.setPixel(x, y, qRgb(sums[0] / (r * r), sums[1] / (r * r), sums[2] / (r * r)));
        }
    return out;
}

QByteArray writeNative(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return QFile::encodeName(file.fileName());
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray runTool(const QString& program, const QStringList& args, const QByteArray& input) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(5000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(20000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

QByteArray buildPng(int width, int height, const QByteArray& rows) {
    Bytes ihdr;
    ihdr.be32(std::uint32_t(width)).be32(std::uint32_t(height)).u8(8).u8(2).u8(0).u8(0).u8(0);
    QByteArray filtered;
    const int stride = width * 3;
    for (int y = 0; y * stride < rows.size(); ++y)
        filtered.append('\0').append(rows.mid(qsizetype(y) * stride, stride));
    const QByteArray zlib = qCompress(filtered).mid(4); // drop Qt's length prefix
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", ihdr.data) +
           pngChunk("IDAT", zlib) + pngChunk("IEND", {});
}

QByteArray buildWmf(const QByteArray& moreRecords) {
    // 48 x 32 units, a red rectangle.
    Bytes records;
    records.le32(5).le16(0x020B).le16(0).le16(0);                    // SETWINDOWORG
    records.le32(5).le16(0x020C).le16(32).le16(48);                  // SETWINDOWEXT
    records.le32(7).le16(0x02FC).le16(0).le32(0x000000FF).le16(0);   // CREATEBRUSHINDIRECT
    records.le32(4).le16(0x012D).le16(0);                            // SELECTOBJECT
    records.le32(7).le16(0x041B).le16(24).le16(36).le16(8).le16(12); // RECTANGLE
    records.raw(moreRecords);
    records.le32(3).le16(0x0000); // EOF
    const std::uint32_t largest = std::max<std::uint32_t>(7, std::uint32_t(moreRecords.size() / 2));
    const int objects = moreRecords.isEmpty() ? 1 : 2; // the brush, and the text's font
    return test::placeableWmf(48, 32, records.data, objects, largest);
}

QByteArray wmfTextRecords(const QByteArray& text) {
    // CREATEFONTINDIRECT (height 20, "Times"), SELECTOBJECT, TEXTOUT at (2, 20).
    Bytes font;
    font.le16(-20)
        .le16(0)
        .le16(0)
        .le16(0)
        .le16(400)
        .u8(0)
        .u8(0)
        .u8(0)
        .u8(0)
        .u8(0)
        .u8(0)
        .u8(0)
        .u8(0)
        .raw(QByteArray("Times\0\0\0", 8));
    Bytes r;
    r.le32(std::uint32_t(3 + font.data.size() / 2)).le16(0x02FB).raw(font.data);
    r.le32(4).le16(0x012D).le16(1);
    QByteArray padded = text;
    if (padded.size() % 2)
        padded.append('\0');
    r.le32(std::uint32_t(3 + 1 + padded.size() / 2 + 2))
        .le16(0x0521)
        .le16(int(text.size()))
        .raw(padded)
        .le16(20)
        .le16(2);
    return r.data;
}

QByteArray buildEmf(int width, int height) {
    Bytes brush, select, rectangle, eof;
    brush.le32(39).le32(24).le32(1).le32(0).le32(0x000000FF).le32(0);
    select.le32(37).le32(12).le32(1);
    rectangle.le32(43)
        .le32(24)
        .le32(2)
        .le32(2)
        .le32(std::uint32_t(width / 2))
        .le32(std::uint32_t(height / 2));
    eof.le32(14).le32(20).le32(0).le32(16).le32(20);
    const QByteArray body = brush.data + select.data + rectangle.data + eof.data;
    Bytes header;
    header.le32(1).le32(88);
    header.le32(0).le32(0).le32(std::uint32_t(width - 1)).le32(std::uint32_t(height - 1));
    header.le32(0)
        .le32(0)
        .le32(std::uint32_t(width * 2646 / 100))
        .le32(std::uint32_t(height * 2646 / 100));
    header.le32(0x464D4520).le32(0x10000).le32(std::uint32_t(88 + body.size())).le32(5);
    header.le16(2).le16(0).le32(0).le32(0).le32(0);
    header.le32(1000).le32(1000).le32(264).le32(264);
    return header.data + body;
}

QByteArray buildWpg() {
    // WPG 1: a 16 x 8 one-bit bitmap, rows stored as literal runs.
    QByteArray data;
    for (int y = 0; y < 8; ++y) {
        data.append(char(2));
        for (int b = 0; b < 2; ++b) {
            int byte = 0;
            for (int k = 0; k < 8; ++k)
                byte |= patternIndex(b * 8 + k, y, 2) << (7 - k);
            data.append(char(byte));
        }
    }
    Bytes f;
    f.u8(0xFF).u8('W').u8('P').u8('C').le32(16).u8(1).u8(0x16).u8(1).u8(0).le16(0).le16(0);
    f.u8(0x0F).u8(6).u8(1).u8(0).le16(16 * 75).le16(8 * 75); // start of picture
    f.u8(0x0B).u8(10 + int(data.size())).le16(16).le16(8).le16(1).le16(75).le16(75).raw(data);
    f.u8(0x10).u8(0); // end of picture
    return f.data;
}

QByteArray buildCut() {
    // Dr. Halo: width, height, a reserved word, then per line a byte count and literal runs.
    Bytes f;
    f.le16(kWidth).le16(kHeight).le16(0);
    for (int y = 0; y < kHeight; ++y) {
        QByteArray line;
        line.append(char(kWidth));
        for (int x = 0; x < kWidth; ++x)
            line.append(char(patternIndex(x, y, 16) * 16));
        line.append('\0');
        f.le16(int(line.size())).raw(line);
    }
    return f.data;
}

QByteArray buildHrz() {
    QByteArray f;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 256; ++x)
            f.append(char(x / 4)).append(char(y / 4)).append(char(63 - x / 4));
    return f;
}

QByteArray buildGemXimg() {
    const int planes = 4, rowBytes = (kWidth + 7) / 8;
    Bytes f;
    f.be16(1).be16(11 + 3 * 16).be16(planes).be16(2).be16(85).be16(85).be16(kWidth).be16(kHeight);
    f.be16('X' << 8 | 'I').be16('M' << 8 | 'G').be16(0);
    for (int i = 0; i < 16; ++i)
        f.be16(i * 60).be16(1000 - i * 60).be16(500);
    // Each band of four equal lines is one line used four times.
    for (int y = 0; y < kHeight; y += 4) {
        f.u8(0).u8(0).u8(0xFF).u8(4);
        for (int p = 0; p < planes; ++p) {
            f.u8(0x80).u8(rowBytes);
            for (int b = 0; b < rowBytes; ++b) {
                int byte = 0;
                for (int k = 0; k < 8; ++k)
                    if (patternIndex(b * 8 + k, y, 16) & (1 << p))
                        byte |= 0x80 >> k;
                f.u8(byte);
            }
        }
    }
    return f.data;
}

QByteArray buildMsp(bool version2) {
    const int rowBytes = (kWidth + 7) / 8;
    QList<QByteArray> rows;
    for (int y = 0; y < kHeight; ++y) {
        QByteArray row(rowBytes, '\0');
        for (int x = 0; x < kWidth; ++x)
            if (patternIndex(x, y, 2)) // index 1 is white
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        rows.append(row);
    }
    Bytes f;
    f.raw(version2 ? "LinS" : "DanM").le16(kWidth).le16(kHeight);
    while (f.data.size() < 32)
        f.u8(0);
    if (!version2) {
        for (const QByteArray& row : rows)
            f.raw(row);
        return f.data;
    }
    QList<QByteArray> packed;
    for (const QByteArray& row : rows) // a run of one byte, then two literal bytes
        packed.append(QByteArray(1, '\0') + char(1) + row[0] + char(2) + row.mid(1));
    for (const QByteArray& p : packed)
        f.le16(int(p.size()));
    for (const QByteArray& p : packed)
        f.raw(p);
    return f.data;
}

QByteArray buildIlbmChunky() {
    Bytes cmap, body;
    const int colours[4][3] = {{0, 0, 0}, {200, 30, 30}, {30, 200, 30}, {30, 30, 200}};
    for (const auto& c : colours)
        cmap.u8(c[0]).u8(c[1]).u8(c[2]);
    for (int y = 0; y < kHeight; ++y) {
        // ByteRun1: the first three pixels as a run, the rest literal.
        body.u8(-2 & 0xFF).u8(patternIndex(0, y, 4));
        body.u8(kWidth - 3 - 1);
        for (int x = 3; x < kWidth; ++x)
            body.u8(patternIndex(x, y, 4));
    }
    Bytes bmhd;
    bmhd.be16(kWidth).be16(kHeight).be16(0).be16(0).u8(8).u8(0).u8(1).u8(0).be16(0).u8(1).u8(1);
    bmhd.be16(kWidth).be16(kHeight);
    Bytes chunks;
    chunks.raw("BMHD").be32(20).raw(bmhd.data);
    chunks.raw("CMAP").be32(12).raw(cmap.data);
    chunks.raw("BODY").be32(std::uint32_t(body.data.size())).raw(body.data);
    if (body.data.size() % 2)
        chunks.u8(0);
    Bytes f;
    f.raw("FORM").be32(std::uint32_t(4 + chunks.data.size())).raw("PBM ").raw(chunks.data);
    return f.data;
}

namespace {

// PC Paint's packing: runs of at least minRun equal bytes (at most 255), and any byte equal to
// the marker, as marker, length, byte; other bytes as they are.
QByteArray pcPaintRuns(const QByteArray& pixels, std::uint8_t marker, int minRun) {
    QByteArray packed;
    for (qsizetype i = 0; i < pixels.size();) {
        qsizetype run = 1;
        while (i + run < pixels.size() && pixels[i + run] == pixels[i] && run < 255)
            ++run;
        if (run >= minRun || std::uint8_t(pixels[i]) == marker) {
            packed.append(char(marker)).append(char(run)).append(pixels[i]);
            i += run;
        } else {
            packed.append(pixels[i++]);
        }
    }
    return packed;
}

} // namespace

QByteArray buildPcPaint() {
    const int rowBytes = kWidth / 2;
    QByteArray pixels;
    for (int row = kHeight - 1; row >= 0; --row) // bottom line first
        for (int b = 0; b < rowBytes; ++b)
            pixels.append(char(patternIndex(2 * b, row, 4) << 4 | patternIndex(2 * b + 1, row, 4)));
    const std::uint8_t marker = 0xFE;
    const QByteArray packed = pcPaintRuns(pixels, marker, 3);
    Bytes f;
    f.le16(0x1234).le16(kWidth).le16(kHeight).le16(0).le16(0).u8(0x04).u8(0xFF).u8('E');
    const int ega[16] = {0x00, 0x04, 0x3F, 0x12, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    f.le16(3).le16(16);
    for (int code : ega)
        f.u8(code);
    f.le16(1).le16(int(packed.size()) + 5).le16(int(pixels.size())).u8(marker).raw(packed);
    return f.data;
}

QByteArray buildPcPaintPlanar() {
    const int rowBytes = (kWidth + 7) / 8;
    QByteArray pixels;
    for (int plane = 0; plane < 4; ++plane)
        for (int row = kHeight - 1; row >= 0; --row) // bottom line first
            for (int b = 0; b < rowBytes; ++b) {
                int byte = 0;
                for (int k = 0; k < 8; ++k)
                    if (patternIndex(b * 8 + k, row, 16) & (1 << plane))
                        byte |= 0x80 >> k;
                pixels.append(char(byte));
            }
    // Runs of equal bytes, across rows and planes as they fall.
    const std::uint8_t marker = 0xEE;
    const QByteArray packed = pcPaintRuns(pixels, marker, 2);
    Bytes f;
    f.le16(0x1234).le16(kWidth).le16(kHeight).le16(0).le16(0).u8(0x31).u8(0xFF).u8(0);
    f.le16(4).le16(48);
    for (int i = 0; i < 16; ++i)
        f.u8(i * 4).u8(63 - i * 4).u8(32);
    f.le16(1).le16(int(packed.size()) + 5).le16(int(pixels.size())).u8(marker).raw(packed);
    return f.data;
}

QByteArray hugeGemImg(int side) {
    // Eight planes; each line used 255 times, its planes alternately all clear and all set.
    Bytes g;
    g.be16(1).be16(8).be16(8).be16(1).be16(85).be16(85).be16(side).be16(side);
    const int rowBytes = (side + 7) / 8;
    for (int y = 0; y < side; y += 255) {
        g.u8(0).u8(0).u8(0xFF).u8(std::min(255, side - y));
        for (int plane = 0; plane < 8; ++plane)
            for (int left = rowBytes; left > 0; left -= 127)
                g.u8((plane % 2 ? 0x80 : 0) | std::min(127, left));
    }
    return g.data;
}

QByteArray hugePcPaint(int side) {
    // Eight bits a pixel, every pixel colour 7, in runs of 65535.
    Bytes runs;
    for (std::int64_t left = std::int64_t(side) * side; left > 0; left -= 65535)
        runs.u8(0xAA).u8(0).le16(int(std::min<std::int64_t>(65535, left))).u8(7);
    Bytes p;
    p.le16(0x1234).le16(side).le16(side).le16(0).le16(0).u8(0x08).u8(0xFF).u8(0).le16(0).le16(0);
    p.le16(1).le16(int(runs.data.size() + 5)).le16(0).u8(0xAA).raw(runs.data);
    return p.data;
}

QByteArray hugeMsp(int side) {
    // Version 2 with every row empty: all white.
    Bytes m;
    m.raw("LinS").le16(side).le16(side).raw(QByteArray(24, '\0'));
    m.raw(QByteArray(qsizetype(side) * 2, '\0'));
    return m.data;
}

QByteArray hugeIlbm(int side) {
    // One plane, each row one ByteRun1 run after another of 128 set bytes.
    Bytes body;
    const int rowBytes = ((side + 15) / 16) * 2;
    for (int y = 0; y < side; ++y)
        for (int left = rowBytes; left > 0; left -= 128)
            body.u8(1 - std::min(128, left)).u8(0xFF);
    Bytes chunks;
    chunks.raw("BMHD").be32(20).be16(side).be16(side).be32(0).u8(1).u8(0).u8(1).u8(0);
    chunks.be16(0).u8(1).u8(1).be16(side).be16(side);
    chunks.raw("BODY").be32(std::uint32_t(body.data.size())).raw(body.data);
    Bytes f;
    f.raw("FORM").be32(std::uint32_t(4 + chunks.data.size())).raw("ILBM").raw(chunks.data);
    return f.data;
}

QByteArray hugeWmf(int side) {
    // side x side units, filled red.
    Bytes records;
    records.le32(5).le16(0x020B).le16(0).le16(0);                       // SETWINDOWORG
    records.le32(5).le16(0x020C).le16(side).le16(side);                 // SETWINDOWEXT
    records.le32(7).le16(0x02FC).le16(0).le32(0x000000FF).le16(0);      // CREATEBRUSHINDIRECT
    records.le32(4).le16(0x012D).le16(0);                               // SELECTOBJECT
    records.le32(7).le16(0x041B).le16(side).le16(side).le16(0).le16(0); // RECTANGLE
    records.le32(3).le16(0x0000);                                       // EOF
    return test::placeableWmf(side, side, records.data, 1, 7);
}

QByteArray hugeWpg(int side) {
    // WPG 1: a one-bit bitmap record claiming side x side, holding one run and then what a
    // damaged file leaves.
    Bytes f;
    f.u8(0xFF).u8('W').u8('P').u8('C').le32(16).u8(1).u8(0x16).u8(1).u8(0).le16(0).le16(0);
    f.u8(0x0F).u8(6).u8(1).u8(0).le16(side / 4).le16(side / 4); // start of picture
    f.u8(0x0B).u8(14).le16(side).le16(side).le16(1).le16(75).le16(75);
    f.u8(0x81).u8(0xFF).u8(0x00).u8(0x00);
    f.u8(0x10).u8(0); // end of picture
    return f.data;
}

QByteArray hugeRle8Bmp(int side, bool markRows) {
    // A grey palette; the pixels not written are left at colour 0.
    Bytes data;
    if (markRows)
        for (int y = 0; y < side; ++y)
            data.u8(1).u8(255).u8(0).u8(0); // one white pixel, end of line
    data.u8(0).u8(1);                       // end of bitmap
    const int offset = 14 + 40 + 1024;
    Bytes b;
    b.raw("BM").le32(std::uint32_t(offset + data.data.size())).le32(0).le32(offset);
    b.le32(40).le32(std::uint32_t(side)).le32(std::uint32_t(side)).le16(1).le16(8);
    b.le32(1).le32(std::uint32_t(data.data.size())).le32(0).le32(0).le32(256).le32(0); // RLE8
    for (int i = 0; i < 256; ++i)
        b.u8(i).u8(i).u8(i).u8(0);
    return b.data + data.data;
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation) {
    Bytes tiff;
    tiff.raw("MM").be16(42).be32(8).be16(1);
    tiff.be16(0x0112).be16(3).be32(1).be16(orientation).be16(0).be32(0);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff.data;
    Bytes app1;
    app1.u8(0xFF).u8(0xE1).be16(int(payload.size()) + 2).raw(payload);
    return jpeg.left(2) + app1.data + jpeg.mid(2);
}

QList<Fixture> allFixtures() {
    const QByteArray ppm = toPpm(colourPicture());
    const QByteArray fourPpm = toPpm(fourColourPicture());
    const QByteArray pbm = toPbm(fourColourPicture());
    const int w = kWidth, h = kHeight;
    auto gm = [](const QByteArray& in, const char* format, QStringList options = {}) {
        return runTool("gm",
                       QStringList{"convert"} + options +
                           QStringList{"-", QString::fromLatin1(format) + ":-"},
                       in);
    };
    QList<Fixture> list = {
        {"jpg", "gm convert", gm(ppm, "jpg"), w, h, 24},
        {"gif", "gm convert", gm(fourPpm, "gif"), w, h, 2},
        {"bmp", "ppmtobmp", runTool("ppmtobmp", {}, ppm), w, h, 24},
        {"wmf", "placeable metafile", buildWmf(), 48, 32, 24},
        {"wpg", "WPG 1 bitmap", buildWpg(), 16, 8, 1},
        {"art", "gm convert", gm(pbm, "art"), w, h, 1},
        {"cut", "Dr. Halo lines", buildCut(), w, h, 8},
        {"dib", "ppmtobmp -bpp 8", runTool("ppmtobmp", {"-bpp", "8"}, fourPpm), w, h, 8},
        {"emf", "EMF records", buildEmf(60, 40), 60, 40, 24},
        {"gem", "pbmtogem", runTool("pbmtogem", {}, pbm), w, h, 1},
        {"hrz", "raw 256 x 240", buildHrz(), 256, 240, 24},
        {"iff", "ppmtoilbm", runTool("ppmtoilbm", {}, ppm), w, h, 24},
        {"img", "GEM XIMG", buildGemXimg(), w, h, 4},
        {"lbm", "IFF PBM", buildIlbmChunky(), w, h, 8},
        {"mac", "pbmtomacp", runTool("pbmtomacp", {}, pbm), 576, 720, 1},
        {"msp", "MS Paint 2", buildMsp(true), w, h, 1},
        {"pcx", "ppmtopcx", runTool("ppmtopcx", {}, ppm), w, h, 24},
        {"pic", "PC Paint", buildPcPaint(), w, h, 4},
        {"png", "pnmtopng", runTool("pnmtopng", {}, ppm), w, h, 24},
        {"ras", "pnmtorast", runTool("pnmtorast", {}, ppm), w, h, 24},
        {"rle", "pnmtorle", runTool("pnmtorle", {}, ppm), w, h, 24},
        {"tga", "pamtotga", runTool("pamtotga", {}, ppm), w, h, 24},
        {"tif", "pnmtotiff", runTool("pnmtotiff", {}, ppm), w, h, 24},
    };
    return list + todaysPictureFixtures();
}

const QMap<QString, Fixture>& fixtureByExtension() {
    static const QMap<QString, Fixture> map = [] {
        QMap<QString, Fixture> m;
        for (const Fixture& f : allFixtures())
            m.insert(f.extension, f);
        return m;
    }();
    return map;
}

} // namespace fixtures
