// Which picture format a file holds: told by its content where the content has a signature,
// by its extension otherwise. Camera RAW files are TIFF by their signature: their extension
// tells them apart.
#pragma once

#include <QByteArray>
#include <QString>

namespace decoders {

enum class Format {
    Unknown,
    Jpeg,
    Png,
    Gif,
    Bmp,
    Tiff,
    Wmf,
    Emf,
    Wpg,
    Art,
    Cut,
    GemImg,
    Hrz,
    Ilbm,
    MacPaint,
    Msp,
    Pcx,
    PcPaint,
    Pict,
    SunRaster,
    UtahRle,
    Tga,
    WebP,
    Ico,
    Pnm,  // PBM, PGM, PPM (binary and plain)
    Heif, // HEIC and HEIF (the AVIF brands go to Avif)
    Avif,
    Jxl,
    Svg, // SVG and gzip-compressed SVGZ
    Raw, // camera RAW, read for the preview the camera embedded
    // Not pictures, but they may carry one: a sound's cover art, a video's frame.
    SoundStill,
    VideoStill,
};

// head: the first bytes of the file (64 are enough); name: its native path or name, for the
// extension.
Format detectFormat(const QByteArray& head, const QByteArray& name);

// The extension of a native path, lower-cased, without the dot ("" when none).
QByteArray extensionOf(const QByteArray& name);

} // namespace decoders
