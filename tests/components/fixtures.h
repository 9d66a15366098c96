// Picture files for the image box tests: made by the Debian tools that write a format, or
// built here byte by byte from the format's structure where no tool writes it.
#pragma once

#include "byte_builder.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QMap>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace fixtures {

using test::Bytes;

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

// Each r x r block of the picture averaged into one pixel (the lines and columns left over
// dropped): what a preview reduced by r shows.
QImage averagedBlocks(const QImage& image, int r);

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
QByteArray buildPcPaint(); // 4 bits per pixel, EGA palette
// Four planes of one bit, 16 colours from an RGB palette: colour i is red i * 4, green
// 63 - i * 4, blue 32 (of 63).
QByteArray buildPcPaintPlanar();
QByteArray buildPng(int width, int height, const QByteArray& rows); // rows: RGB bytes
// A PNG chunk: length, type, body and checksum.
using test::pngChunk;

// Small files claiming side x side pixels, with just enough data to fill them.
QByteArray hugeGemImg(int side);
QByteArray hugePcPaint(int side);
QByteArray hugeMsp(int side);
QByteArray hugeIlbm(int side);
// Small files claiming side x side pixels with hardly any data: a metafile (filled red), a
// damaged WPG bitmap, and an RLE8 BMP of one end-of-bitmap code (markRows: after one white
// pixel at the start of every row, 4 bytes a row).
QByteArray hugeWmf(int side);
QByteArray hugeWpg(int side);
QByteArray hugeRle8Bmp(int side, bool markRows = false);

// Sets an environment variable (the decode budget, say) for the life of a test, then restores
// it as it was.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old, hadOld_ = true;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (hadOld_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::string old_;
    bool hadOld_ = false;
};

// A JPEG of the picture carrying an EXIF orientation.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation);

} // namespace fixtures
