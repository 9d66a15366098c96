#include "components/decoders/gif_reader.h"

#include "components/decoders/budget.h"
#include "components/decoders/bytes.h"
#include "components/decoders/row_sink.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace decoders {

namespace {

constexpr int kMaxCodes = 4096;

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    QList<QRgb> colours;  // the local table, else the global one
    int transparent = -1; // from the graphic control extension before the frame
    QByteArray data;      // the LZW data, its sub-blocks joined
    int minimumCodeSize = 0;
};

QList<QRgb> readColourTable(ByteReader& r, int flags) {
    const int count = 2 << (flags & 7);
    QList<QRgb> colours;
    colours.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int red = r.u8(), green = r.u8(), blue = r.u8();
        colours.append(qRgb(red, green, blue));
    }
    return colours;
}

// Skips a chain of sub-blocks (a length byte, then that many bytes, until a length of 0).
// Appends their bytes to out when given.
bool readSubBlocks(ByteReader& r, QByteArray* out = nullptr) {
    for (;;) {
        const int n = r.u8();
        if (r.failed())
            return false;
        if (n == 0)
            return true;
        if (r.remaining() < n) {
            // A file cut short: what there is still counts.
            if (out)
                out->append(reinterpret_cast<const char*>(r.here()), r.remaining());
            r.skip(r.remaining());
            return false;
        }
        if (out)
            out->append(reinterpret_cast<const char*>(r.here()), n);
        r.skip(n);
    }
}

// The rows of a frame, in the order the data holds them, turned into rows of the screen.
class RowOrder {
public:
    RowOrder(int height, bool interlaced) : height_(height), interlaced_(interlaced) {}
    // The frame row the next decoded row goes to; -1 when every row has come.
    int next() {
        if (!interlaced_)
            return count_ < height_ ? count_++ : -1;
        // Rows 0, 8, 16 ...; then 4, 12 ...; then 2, 6 ...; then 1, 3 ...
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        while (pass_ < 4) {
            const int y = kStart[pass_] + kStep[pass_] * index_;
            if (y < height_) {
                ++index_;
                return y;
            }
            ++pass_;
            index_ = 0;
        }
        return -1;
    }

private:
    int height_;
    bool interlaced_;
    int count_ = 0, pass_ = 0, index_ = 0;
};

// Decodes the frame's LZW data into rows of colour indexes, each handed to put(y, row). Stops
// at the end code, at the last row, or where the data ends or goes wrong; rows from rowLimit
// on are never shown, and a frame stored top to bottom stops there.
template <typename Put> void decodeLzw(const Frame& f, int rowLimit, Put put) {
    const int clear = 1 << f.minimumCodeSize, end = clear + 1;
    std::array<std::uint16_t, kMaxCodes> prefix{};
    std::array<std::uint8_t, kMaxCodes> suffix{}, first{};
    for (int i = 0; i < clear; ++i)
        suffix[std::size_t(i)] = first[std::size_t(i)] = std::uint8_t(i);
    std::vector<std::uint8_t> stack(kMaxCodes);
    std::vector<std::uint8_t> row(std::size_t(f.width));
    RowOrder order(f.interlaced ? f.height : std::min(f.height, rowLimit), f.interlaced);
    int y = order.next(), x = 0;

    const auto* data = reinterpret_cast<const std::uint8_t*>(f.data.constData());
    const qsizetype size = f.data.size();
    qsizetype at = 0;
    std::uint32_t bits = 0;
    int held = 0, codeSize = f.minimumCodeSize + 1, next = clear + 2, previous = -1;
    while (y >= 0) {
        while (held < codeSize && at < size) {
            bits |= std::uint32_t(data[at++]) << held;
            held += 8;
        }
        if (held < codeSize)
            return;
        const int code = int(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        held -= codeSize;
        if (code == clear) {
            codeSize = f.minimumCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end)
            return;
        int depth = 0, walk = code;
        if (previous < 0) {
            if (code > clear)
                return;
        } else if (code < next) {
            if (next < kMaxCodes) {
                prefix[std::size_t(next)] = std::uint16_t(previous);
                suffix[std::size_t(next)] = first[std::size_t(code)];
                first[std::size_t(next)] = first[std::size_t(previous)];
                ++next;
            }
        } else if (code == next && next < kMaxCodes) {
            prefix[std::size_t(next)] = std::uint16_t(previous);
            suffix[std::size_t(next)] = first[std::size_t(previous)];
            first[std::size_t(next)] = first[std::size_t(previous)];
            ++next;
        } else {
            return; // a code not yet defined: damaged data
        }
        if (next == (1 << codeSize) && codeSize < 12)
            ++codeSize;
        previous = code;
        while (walk >= clear) {
            stack[std::size_t(depth++)] = suffix[std::size_t(walk)];
            walk = prefix[std::size_t(walk)];
        }
        stack[std::size_t(depth++)] = std::uint8_t(walk);
        while (depth > 0) {
            row[std::size_t(x++)] = stack[std::size_t(--depth)];
            if (x == f.width) {
                put(y, row.data());
                x = 0;
                y = order.next();
                if (y < 0)
                    return;
            }
        }
    }
}

} // namespace

Picture readGif(const QByteArray& bytes, QSize hint, bool factsOnly) {
    ByteReader r(bytes);
    if (!bytes.startsWith("GIF87a") && !bytes.startsWith("GIF89a"))
        return failure(QStringLiteral("not a GIF file"));
    r.seek(6);
    const int screenWidth = r.u16le(), screenHeight = r.u16le();
    const int flags = r.u8(), background = r.u8();
    r.u8(); // aspect ratio
    if (r.failed() || !sizeAcceptable(screenWidth, screenHeight))
        return failure(QStringLiteral("bad picture size"));
    const QSize screen(screenWidth, screenHeight);
    const int bits = (flags & 0x80) ? (flags & 7) + 1 : 8;
    if (factsOnly)
        return factsOnlyPicture(screen, bits);
    if (hint.isEmpty() && !fitsBudget(screenWidth, screenHeight, 1, decodeBudget()))
        return failure(QStringLiteral("picture needs too much memory"));
    const QList<QRgb> global = (flags & 0x80) ? readColourTable(r, flags) : QList<QRgb>();

    // The first frame, and whether another follows.
    Frame frame;
    bool haveFrame = false, animated = false;
    int transparent = -1;
    while (!r.failed() && !r.atEnd() && !animated) {
        const int introducer = r.u8();
        if (introducer == 0x3B) // trailer
            break;
        if (introducer == 0x21) {
            const int label = r.u8();
            if (label == 0xF9 && !haveFrame) {
                QByteArray control;
                readSubBlocks(r, &control);
                if (control.size() >= 4 && (control[0] & 1))
                    transparent = std::uint8_t(control[3]);
            } else {
                readSubBlocks(r);
            }
            continue;
        }
        if (introducer != 0x2C)
            break; // not a block: what came before is all there is
        if (haveFrame) {
            animated = true;
            break;
        }
        frame.left = r.u16le(), frame.top = r.u16le();
        frame.width = r.u16le(), frame.height = r.u16le();
        const int frameFlags = r.u8();
        frame.interlaced = frameFlags & 0x40;
        frame.colours = (frameFlags & 0x80) ? readColourTable(r, frameFlags) : global;
        frame.transparent = transparent;
        frame.minimumCodeSize = r.u8();
        if (r.failed())
            break;
        haveFrame = true;
        // The data of a frame of more than nothing: a second frame is looked for only when
        // this one's data is whole.
        if (!readSubBlocks(r, &frame.data))
            break;
    }
    if (!haveFrame || frame.minimumCodeSize < 1 || frame.minimumCodeSize > 8)
        return failure(QStringLiteral("no picture in the GIF file"));

    QList<QRgb> palette = frame.colours;
    palette.resize(256, qRgb(0, 0, 0));
    if (frame.transparent >= 0)
        palette[frame.transparent] = 0;
    RowSink sink(screen, hint, RowSink::Rows::Indexes, palette);
    if (!sink.ok())
        return failure(QStringLiteral("out of memory"));

    // Around a frame that does not cover the screen: transparent, or the background colour.
    // (A preview adds up what reaches each of its pixels, so nothing is put twice.)
    const QRect frameRect =
        QRect(frame.left, frame.top, frame.width, frame.height) & QRect(QPoint(0, 0), screen);
    if (frameRect != QRect(QPoint(0, 0), screen)) {
        const int around = frame.transparent >= 0 ? frame.transparent
                           : global.isEmpty()     ? 0
                                                  : std::min(background, 255);
        const std::vector<std::uint8_t> line(std::size_t(screenWidth),
                                             static_cast<std::uint8_t>(around));
        if (frameRect.isEmpty()) {
            sink.put(0, line.data(), screenHeight);
        } else {
            const int top = frameRect.top(), bottom = frameRect.bottom() + 1;
            const int left = frameRect.left(), right = frameRect.right() + 1;
            sink.put(0, line.data(), top);
            sink.put(bottom, line.data(), screenHeight - bottom);
            sink.put(top, line.data(), bottom - top, 0, left);
            sink.put(top, line.data(), bottom - top, right, screenWidth - right);
        }
    }
    if (frame.width > 0 && frame.height > 0)
        decodeLzw(frame, screenHeight - frame.top, [&](int y, const std::uint8_t* row) {
            sink.put(frame.top + y, row, 1, frame.left, frame.width);
        });
    Picture p = finishReduced(sink.take(), screen, bits, hint);
    p.animated = animated;
    return p;
}

} // namespace decoders
