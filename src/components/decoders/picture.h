// A decoded picture and its facts, as every decoder hands it to the image box.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>

namespace decoders {

// Pictures whose header claims more pixels than this are refused before any pixel memory is
// taken: 400 megapixels already need 1.6 GB as 32-bit pixels.
constexpr std::int64_t kMaxPixels = 400'000'000;

struct Picture {
    QImage image;          // upright pixels, possibly reduced to fit the size hint
    int width = 0;         // full width of the upright picture
    int height = 0;        // full height of the upright picture
    int bitsPerPixel = 0;  // bits per pixel stored in the file (1, 4, 8, 15, 16, 24, 32, 48 ...)
    bool animated = false; // more than one frame (the image box animates it)
    QString error;         // why decoding failed; empty on success

    bool ok() const { return error.isEmpty() && !image.isNull(); }
};

Picture failure(const QString& why);

// Whether a picture of this size may be decoded at all (both sides positive, within kMaxPixels).
bool sizeAcceptable(std::int64_t width, std::int64_t height);

// The whole-number reduction a decoder may apply to a width x height picture and still give at
// least the size at which it fits the hint box (1 when no hint or the picture already fits).
int reductionFor(QSize picture, QSize hint);

// The picture reduced by r in each direction (whole blocks of r x r averaged). 1-bit, 8-bit
// and grey pictures are averaged through their palette straight into the 32-bit result, never
// converted whole to 32 bits first. Up to r = 16 every pixel of a block counts; for larger r an
// evenly spaced grid of 16 x 16 samples of each block does (an odd number of pixels apart, so
// that dithers and stripes that repeat every 2, 4, 8 or 16 pixels still average exactly), which
// keeps a huge reduction from reading every pixel.
QImage shrinkByBlocks(const QImage& image, int r);

// Fills in the facts common to every decoder and shrinks the pixels to the hint box when they
// are still much larger than needed.
Picture finish(QImage image, int bitsPerPixel, QSize hint, bool animated = false);

// The same for pixels a library already decoded at reduced size (or a camera's smaller
// preview): fullSize is the whole upright picture, which the facts describe.
Picture finishReduced(QImage image, QSize fullSize, int bitsPerPixel, QSize hint);

// The facts alone (no pixels), for a reader asked only for them.
Picture factsOnlyPicture(QSize size, int bitsPerPixel);

// The size at which a picture fits the hint box, aspect kept, never enlarged; the picture's own
// size without a hint.
QSize fittedSize(QSize picture, QSize hint);

} // namespace decoders
