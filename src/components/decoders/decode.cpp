#include "components/decoders/decode.h"

#include "components/decoders/emf_reader.h"
#include "components/decoders/gem_img.h"
#include "components/decoders/heif_reader.h"
#include "components/decoders/iff_ilbm.h"
#include "components/decoders/jpeg_reader.h"
#include "components/decoders/jxl_reader.h"
#include "components/decoders/magick_reader.h"
#include "components/decoders/media_still.h"
#include "components/decoders/msp.h"
#include "components/decoders/pc_paint.h"
#include "components/decoders/png_reader.h"
#include "components/decoders/qt_reader.h"
#include "components/decoders/raw_reader.h"
#include "components/decoders/svg_reader.h"
#include "components/decoders/webp_reader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace decoders {

namespace {

constexpr std::int64_t kMaxFileBytes = kMaxPixels * 4 + 65536;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// GIF and BMP through Qt's own readers, which are the fastest here; a BMP variant Qt does not
// read goes on to GraphicsMagick.
Picture readWithQt(const QByteArray& bytes, Format format, QSize hint) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format == Format::Gif ? "gif" : "bmp");
    const QSize size = reader.size();
    if (size.isValid() && !sizeAcceptable(size.width(), size.height()))
        return failure(QStringLiteral("picture too large"));
    const bool animated = format == Format::Gif && reader.imageCount() > 1;
    QImage image = reader.read();
    if (image.isNull()) {
        if (format == Format::Bmp)
            return readWithMagick(bytes, format, hint);
        return failure(reader.errorString());
    }
    return finish(std::move(image), storedBitsPerPixel(bytes, format), hint, animated);
}

Picture readFromMemory(const QByteArray& bytes, Format format, QSize hint) {
    if (bytes.isEmpty())
        return failure(QStringLiteral("empty file"));
    FilePtr file(fmemopen(const_cast<char*>(bytes.constData()), std::size_t(bytes.size()), "rb"));
    if (!file)
        return failure(QStringLiteral("out of memory"));
    return format == Format::Jpeg ? readJpeg(file.get(), hint) : readPng(file.get(), hint);
}

} // namespace

Picture decodeBytes(const QByteArray& bytes, Format format, QSize hint) {
    static const bool limitSet = [] {
        // The size checks come first; Qt's own guard would refuse pictures well below them.
        QImageReader::setAllocationLimit(int(kMaxPixels * 4 / (1024 * 1024)) + 1);
        return true;
    }();
    (void)limitSet;
    switch (format) {
    case Format::Unknown:
        return failure(QStringLiteral("not a picture"));
    case Format::Jpeg:
    case Format::Png:
        return readFromMemory(bytes, format, hint);
    case Format::Gif:
    case Format::Bmp:
        return readWithQt(bytes, format, hint);
    case Format::Emf:
        return readEmf(bytes, hint);
    case Format::GemImg:
        return readGemImg(bytes, hint);
    case Format::Msp:
        return readMsp(bytes, hint);
    case Format::Ilbm:
        return readIlbm(bytes, hint);
    case Format::PcPaint:
        return readPcPaint(bytes, hint);
    case Format::Tiff:
    case Format::Ico:
    case Format::Pnm:
        return readWithQtReader(bytes, format, hint);
    case Format::WebP:
        return readWebP(bytes, hint);
    case Format::Heif:
        return readHeif(bytes, hint);
    case Format::Avif:
        return readAvif(bytes, hint);
    case Format::Jxl:
        return readJxl(bytes, hint);
    case Format::Svg:
        return readSvg(bytes, hint);
    case Format::Raw:
        return readRaw(bytes, hint);
    case Format::SoundStill:
    case Format::VideoStill:
        return failure(QStringLiteral("sound and video are read from their files"));
    default:
        return readWithMagick(bytes, format, hint);
    }
}

Picture decodeFile(const QString& path, QSize hint) {
    if (path.isEmpty())
        return failure(QStringLiteral("no file"));
    // Only regular files: opening a named pipe would wait for a writer, and a device such as
    // /dev/zero never ends.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return failure(QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(info.st_mode))
        return failure(QStringLiteral("not a regular file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(file.errorString());
    const Format format = detectFormat(file.peek(64), path);
    if (format == Format::Jpeg || format == Format::Png) {
        // Straight from the file: a large photo is never held in memory twice.
        FilePtr stream(std::fopen(QFile::encodeName(path).constData(), "rb"));
        if (!stream)
            return failure(QStringLiteral("cannot open"));
        return format == Format::Jpeg ? readJpeg(stream.get(), hint) : readPng(stream.get(), hint);
    }
    if (format == Format::Unknown)
        return failure(QStringLiteral("not a picture"));
    if (format == Format::SoundStill || format == Format::VideoStill)
        return readMediaStill(QFile::encodeName(path),
                              format == Format::SoundStill ? FileKind::Sound : FileKind::Video,
                              hint);
    // The formats below are read whole into memory; none of them needs more than this for a
    // picture within the pixel limit.
    if (info.st_size > kMaxFileBytes)
        return failure(QStringLiteral("file too large"));
    return decodeBytes(file.readAll(), format, hint);
}

} // namespace decoders
