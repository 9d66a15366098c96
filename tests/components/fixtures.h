// Picture files for the image box tests: made by the Debian tools that write a format, or
// built here byte by byte from the format's structure where no tool writes it.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QString>
#include <cstdint>

namespace fixtures {

// Little helpers that append numbers in either byte order.
struct Bytes {
    QByteArray data;
    Bytes& u8(int v) {
        data.append(char(v & 0xFF));
        return *this;
    }
    Bytes& le16(int v) { return u8(v).u8(v >> 8); }
    Bytes& be16(int v) { return u8(v >> 8).u8(v); }
    Bytes& le32(std::uint32_t v) { return le16(int(v & 0xFFFF)).le16(int(v >> 16)); }
    Bytes& be32(std::uint32_t v) { return be16(int(v >> 16)).be16(int(v & 0xFFFF)); }
    Bytes& raw(const QByteArray& b) {
        data.append(b);
        return *this;
    }
};

// The picture most fixtures hold: 24 x 16, many colours (a gradient).
constexpr int kWidth = 24;
constexpr int kHeight = 16;
QImage colourPicture();
// 24 x 16 with four colours in four vertical bands.
QImage fourColourPicture();

// The colour index the byte-built fixtures give pixel (x, y): bands 3 pixels wide, 4 high.
int patternIndex(int x, int y, int colours);

// The picture as binary PPM / PBM (every tool below reads these).
QByteArray toPpm(const QImage& image);
QByteArray toPbm(const QImage& image); // dark pixels black

QByteArray readBytes(const QString& path);
// Writes the file and returns its path as native bytes (fails the running test when it cannot).
QByteArray writeNative(const QString& path, const QByteArray& bytes);

// Runs a tool with stdin and returns its stdout; empty when it fails.
QByteArray runTool(const QString& program, const QStringList& args, const QByteArray& input);

struct Fixture {
    QString extension; // the file's extension, without the dot
    QString how;       // the tool or the structure it was built from
    QByteArray bytes;
    int width;
    int height;
    int bitsPerPixel;
};

// One fixture per extension of the graphic mask, the original ones and today's.
QList<Fixture> allFixtures();
// The same fixtures by extension, made once per test program.
const QMap<QString, Fixture>& fixtureByExtension();

// Byte-built files (also used by the tests of single formats).
// moreRecords: metafile records drawn after the red rectangle.
QByteArray buildWmf(const QByteArray& moreRecords = {});
// Records that select a Times font and draw text with it (libwmf then needs its fonts).
QByteArray wmfTextRecords(const QByteArray& text);
QByteArray buildEmf(int width, int height);
QByteArray buildWpg();
QByteArray buildCut();
QByteArray buildHrz();
QByteArray buildGemXimg(); // 4 planes with an XIMG palette
QByteArray buildMsp(bool version2);
QByteArray buildIlbmChunky();
QByteArray buildPcPaint();                                          // 4 bits per pixel, EGA palette
QByteArray buildPng(int width, int height, const QByteArray& rows); // rows: RGB bytes

// A JPEG of the picture carrying an EXIF orientation.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation);

} // namespace fixtures
