// The few tags of a TIFF structure's first directory that pictures need: the orientation
// (EXIF blocks of JPEG, PNG, WebP and HEIF files are TIFF structures too) and the stored bits
// per pixel. Also turns a picture upright for an orientation.
#pragma once

#include <QByteArray>
#include <QImage>

namespace decoders {

struct TiffTags {
    int orientation = 1;  // 1 ... 8, as EXIF counts them; 1 when absent or out of range
    int bitsPerPixel = 0; // BitsPerSample x SamplesPerPixel; 0 when absent
};

// tiff: the structure from its byte-order mark ("II" or "MM") on.
TiffTags readTiffTags(const QByteArray& tiff);

// The orientation in an EXIF block: a TIFF structure, with or without the "Exif\0\0" that
// JPEG's APP1 segment (and some WebP and PNG writers) put before it; 1 when there is none.
int exifOrientation(const QByteArray& exif);

// The picture turned upright for an EXIF orientation.
QImage applyOrientation(const QImage& image, int orientation);

// Whether the orientation turns the picture a quarter, swapping width and height.
inline bool swapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

} // namespace decoders
