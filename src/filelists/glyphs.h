// The eight glyphs of the file-system lists, carried as named bitmap resources
// (":/filelists/RZ_FLOPPY.bmp" ...), 4 bits per pixel, drawn transparently: every pixel of the
// colour of a glyph's bottom-left pixel (teal) is left undrawn.
#pragma once

#include "platform/volumes.h"

#include <QImage>
#include <QString>

namespace filelists {

enum class Glyph {
    Floppy,        // RZ_FLOPPY, 16 x 13
    FixedDisk,     // RZ_FIXEDDISK, 16 x 13
    NetDrive,      // RZ_NETDRIVE, 16 x 13
    CDROM,         // RZ_CDROM, 16 x 13
    RAM,           // RZ_RAM, 16 x 13
    OpenFolder,    // RZ_OPENFOLDER, 16 x 16
    CurrentFolder, // RZ_CURRENTFOLDER, 16 x 16
    ClosedFolder,  // RZ_CLOSEDFOLDER, 16 x 16
};

// "RZ_FLOPPY" ...
QString glyphName(Glyph glyph);
// The resource path of the glyph's bitmap.
QString glyphResource(Glyph glyph);
// The glyph ready to draw, with its transparent colour made transparent; loaded once.
const QImage& glyph(Glyph which);
// The glyph of a drive row; Unknown and NoDrive have none and get the fixed-disk glyph.
Glyph driveGlyph(platform::DriveType type);

} // namespace filelists
