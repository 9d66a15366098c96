// Where a decoder that reads rows one by one puts them: at full size straight into the
// picture, for a preview into the blocks of the reduced picture. A preview so costs the memory
// of the preview, never of the picture the header claims, and the time of the rows the data
// actually holds: a row the data repeats (a run over many lines, a file that ends early) is
// converted once however many lines it covers.
#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <cstdint>
#include <vector>

namespace decoders {

class RowSink {
public:
    // How the rows come: packed one bit a pixel (leftmost pixel in the high bit), one byte a
    // colour index, or 32-bit colours (QRgb), opaque or with alpha.
    enum class Rows { Bits, Indexes, Rgb, Argb };

    // size: the whole picture; hint: the preview box (empty: full size, or a picture that
    // already fits). palette: the colours of Bits and Indexes rows (missing entries are black).
    // At full size the picture is 1-bit (Bits), 8-bit indexed (Indexes) or 32-bit; reduced, it
    // is 32-bit. Its memory is taken here: check ok().
    RowSink(QSize size, QSize hint, Rows rows, const QList<QRgb>& palette = {});

    // Whether the picture's memory could be had.
    bool ok() const { return ok_; }
    // The reduction applied in each direction (1 at full size).
    int reduction() const { return r_; }

    // Row y of the picture, and the count - 1 rows below it, are data (pixels x ... x + n - 1
    // of them; n -1: to the end of the row). Bits rows start at pixel x with the data's first
    // byte's high bit. Rows outside the picture are ignored.
    void put(int y, const void* data, int count = 1, int x = 0, int n = -1);

    // The picture: the full-size one, or each block of the reduced one averaged over the
    // pixels that reached it (blocks none reached are transparent black). The sink is empty
    // afterwards.
    QImage take();

private:
    void sumColumns(const void* data, int x, int n);

    QSize size_;
    Rows rows_;
    int r_ = 1;
    bool ok_ = false;
    QList<QRgb> palette_;
    QImage image_;                    // the full-size picture, or the reduced one at take()
    std::vector<std::uint64_t> sums_; // reduced: red, green, blue, alpha, count per pixel
    // The previous row put and its column sums, reused while rows repeat.
    std::vector<std::uint8_t> lastRow_;
    int lastX_ = -1;
    std::vector<std::uint64_t> columnSums_;
};

} // namespace decoders
