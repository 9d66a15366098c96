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

// head: the first bytes of the file (64 are enough); path: its name, for the extension.
Format detectFormat(const QByteArray& head, const QString& path);

} // namespace decoders
