// Which picture format a file holds: told by its content where the content has a signature,
// by its extension otherwise.
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
};

// head: the first bytes of the file (64 are enough); name: its native path or name, for the
// extension.
Format detectFormat(const QByteArray& head, const QByteArray& name);

// The extension of a native path, lower-cased, without the dot ("" when none).
QByteArray extensionOf(const QByteArray& name);

} // namespace decoders
