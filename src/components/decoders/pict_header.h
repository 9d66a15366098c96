// The facts of a Macintosh PICT file, read from its opcodes without drawing anything, the way
// GraphicsMagick (which decodes PICT in the helper) sizes the picture.
//
// The file: a 512-byte header of the application that wrote it, the picture's 16-bit size, its
// frame (top, left, bottom, right), the version opcode (0x11, then 1; or 0x0011, then 0x02FF),
// then opcodes: bytes in version 1, words at even offsets in version 2, each followed by its
// operands (a fixed length, or a length in the operands). Of these:
//   0x01          the clipping region: a 10-byte one (a rectangle) gives the picture its size;
//   0x90, 0x91    BitsRect, BitsRgn: a bitmap, or a pixel map when rowBytes has its high bit;
//   0x98, 0x99    PackBitsRect, PackBitsRgn: the same, rows packed;
//   0x9A, 0x9B    DirectBitsRect, DirectBitsRgn: a pixel map of direct colours;
//   0x8200        an embedded JPEG picture (QuickTime);
//   0x00FF        the end of the picture.
// A pixel map holds pixelSize (1, 2, 4, 8 for a palette; 16 or 32 direct) and cmpCount times
// cmpSize bits of colour.
#pragma once

#include <QByteArray>
#include <QSize>

namespace decoders {

struct PictFacts {
    QSize size;           // empty when the file is no PICT picture
    int bitsPerPixel = 0; // of the first bitmap or pixel map; 24 for drawings and JPEG
};

PictFacts readPictFacts(const QByteArray& bytes);

} // namespace decoders
