#include "components/decoders/pict_header.h"

#include "components/decoders/bytes.h"

namespace decoders {

namespace {

constexpr qsizetype kLeadingHeader = 512;

struct Rect {
    int top = 0, left = 0, bottom = 0, right = 0;
    bool valid() const { return right > left && bottom > top; }
    QSize size() const { return {right - left, bottom - top}; }
};

Rect readRect(ByteReader& r) {
    Rect rect;
    rect.top = std::int16_t(r.u16be());
    rect.left = std::int16_t(r.u16be());
    rect.bottom = std::int16_t(r.u16be());
    rect.right = std::int16_t(r.u16be());
    return rect;
}

// The operand length of the opcodes below 0xA2 whose operands have a fixed length; -1 for the
// others.
int fixedLength(int op) {
    static constexpr signed char kShort[0x30] = {
        0, -1, 8,  2,  1,  2,  4,  4,  2,  8,  8,  4,  4,  2,  4,  4,  // 0x00
        8, 1,  -1, -1, -1, 2,  2,  0,  0,  0,  6,  6,  0,  6,  0,  6,  // 0x10
        8, 4,  6,  2,  -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, // 0x20
    };
    if (op < 0x30)
        return kShort[op];
    if (op < 0x70) // rectangles, rounded rectangles, ovals (8 bytes), arcs (12); "same": less
        return op >= 0x60 ? ((op & 0x0F) < 8 ? 12 : 4) : ((op & 0x0F) < 8 ? 8 : 0);
    if ((op >= 0x78 && op <= 0x7F) || (op >= 0x88 && op <= 0x8F))
        return 0; // the "same" polygon and region calls
    if (op == 0xA0)
        return 2;
    return -1;
}

// The bits per pixel of the pixel data starting after the opcode: a bitmap, a pixel map, or
// direct colours.
int pixelBits(ByteReader& r, int op) {
    const bool direct = op == 0x9A || op == 0x9B;
    if (direct)
        r.skip(4); // base address
    const int rowBytes = r.u16be();
    if (!direct && !(rowBytes & 0x8000))
        return 1;
    r.skip(8 + 18); // bounds; version, packing, resolution, pixel type
    const int pixelSize = r.u16be();
    const int components = r.u16be();
    const int componentSize = r.u16be();
    return pixelSize == 32 ? components * componentSize : pixelSize;
}

} // namespace

PictFacts readPictFacts(const QByteArray& bytes) {
    ByteReader r(bytes);
    r.seek(kLeadingHeader);
    r.u16be(); // the size, of no use beyond 32 KB
    const Rect frame = readRect(r);
    int c = 0;
    do
        c = r.u8();
    while (c == 0 && !r.failed());
    const int version = r.u8();
    if (r.failed() || !frame.valid() || c != 0x11 || (version != 1 && version != 2) ||
        (version == 2 && r.u8() != 0xFF))
        return {};
    PictFacts facts{frame.size(), 24};
    while (!r.atEnd() && !r.failed()) {
        if (version == 2 && r.pos() % 2)
            r.skip(1);
        const int op = version == 1 ? r.u8() : r.u16be();
        if (op == 0xFF || op == 0xFFFF)
            break;
        const int fixed = op < 0xA2 ? fixedLength(op) : -1;
        if (fixed >= 0) {
            r.skip(fixed);
        } else if (op == 0x01) {
            const int length = r.u16be();
            if (length == 10) {
                const Rect clip = readRect(r);
                if (!clip.valid())
                    return {};
                if (!(clip.left & 0x8000) && !(clip.top & 0x8000))
                    facts.size = clip.size();
            } else if (length >= 2) {
                r.skip(length - 2);
            } else {
                break;
            }
        } else if ((op >= 0x90 && op <= 0x91) || (op >= 0x98 && op <= 0x9B)) {
            const int bits = pixelBits(r, op);
            if (!r.failed() && bits > 0 && bits <= 32)
                facts.bitsPerPixel = bits;
            break;
        } else if (op == 0x8200 || (op >= 0x12 && op <= 0x14)) {
            break; // embedded JPEG (true colour); pixel patterns are not followed
        } else if (op >= 0x28 && op <= 0x2B) {
            r.skip(op == 0x28 ? 4 : op == 0x2B ? 2 : 1);
            r.skip(r.u8()); // the text
        } else if ((op >= 0x70 && op <= 0x77) || (op >= 0x80 && op <= 0x87)) {
            const int length = r.u16be(); // polygons and regions count their own length
            if (length < 2)
                break;
            r.skip(length - 2);
        } else if (op == 0xA1) {
            r.skip(2);
            r.skip(r.u16be());
        } else if (op < 0xB0) {
            r.skip(r.u16be()); // reserved: a length word
        } else if (op == 0x0C00) {
            r.skip(24); // the version 2 header
        } else if (op <= 0xCF || (op >= 0x8000 && op <= 0x80FF)) {
            // reserved, no operands
        } else if (op < 0x0100 || op >= 0x8100) {
            r.skip(qsizetype(r.u32be())); // reserved: a length long word
        } else {
            r.skip((op >> 8) * 2); // reserved: twice the high byte
        }
    }
    if (!facts.size.isValid() || facts.size.isEmpty())
        return {};
    return facts;
}

} // namespace decoders
