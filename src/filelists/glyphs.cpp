#include "filelists/glyphs.h"

#include <array>

namespace filelists {
namespace {

QImage loadTransparent(Glyph which) {
    const QImage bitmap(glyphResource(which));
    if (bitmap.isNull())
        return {};
    const QRgb key = bitmap.pixel(0, bitmap.height() - 1);
    QImage out = bitmap.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (key & 0xFFFFFF))
                line[x] = 0;
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QString glyphName(Glyph glyph) {
    switch (glyph) {
    case Glyph::Floppy:
        return QStringLiteral("RZ_FLOPPY");
    case Glyph::FixedDisk:
        return QStringLiteral("RZ_FIXEDDISK");
    case Glyph::NetDrive:
        return QStringLiteral("RZ_NETDRIVE");
    case Glyph::CDROM:
        return QStringLiteral("RZ_CDROM");
    case Glyph::RAM:
        return QStringLiteral("RZ_RAM");
    case Glyph::OpenFolder:
        return QStringLiteral("RZ_OPENFOLDER");
    case Glyph::CurrentFolder:
        return QStringLiteral("RZ_CURRENTFOLDER");
    case Glyph::ClosedFolder:
        return QStringLiteral("RZ_CLOSEDFOLDER");
    }
    return {};
}

QString glyphResource(Glyph glyph) {
    return QStringLiteral(":/filelists/") + glyphName(glyph) + QStringLiteral(".bmp");
}

const QImage& glyph(Glyph which) {
    static std::array<QImage, 8> cache;
    static std::array<bool, 8> loaded{};
    const auto index = size_t(which);
    if (!loaded[index]) {
        cache[index] = loadTransparent(which);
        loaded[index] = true;
    }
    return cache[index];
}

Glyph driveGlyph(platform::DriveType type) {
    switch (type) {
    case platform::DriveType::Floppy:
        return Glyph::Floppy;
    case platform::DriveType::Network:
        return Glyph::NetDrive;
    case platform::DriveType::CDROM:
        return Glyph::CDROM;
    case platform::DriveType::RAM:
        return Glyph::RAM;
    default:
        return Glyph::FixedDisk;
    }
}

} // namespace filelists
