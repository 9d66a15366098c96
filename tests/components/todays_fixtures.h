// Files of today's formats for the image box tests: made by the Debian tools that write them
// (cwebp, avifenc, heif-enc, cjxl, gzip, netpbm), or built here from the format's structure
// where no tool writes one (SVG text; the DNG writer is in tests/support).
#pragma once

#include "fixtures.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

namespace fixtures {

// Runs a tool that reads and writes files rather than pipes: "{in}" and "{out}" in args stand
// for an input file holding input and an output file with the given names (the tools choose
// the format by the name). Empty when the tool fails.
QByteArray convertFile(const QString& program, const QStringList& args, const QByteArray& input,
                       const QString& inName, const QString& outName);

QByteArray toPng(const QImage& image);

// A 48 x 32 drawing: red on the left half, blue on the right.
QByteArray buildSvg();

// A TIFF structure holding only an orientation tag, as EXIF blocks are.
QByteArray exifBlock(int orientation);

// One fixture per picture extension added for today's files.
QList<Fixture> todaysPictureFixtures();

} // namespace fixtures
