#include "components/decoders/decode.h"

#include "components/decoders/bytes.h"
#include "components/decoders/gem_img.h"
#include "components/decoders/helper_client.h"
#include "components/decoders/iff_ilbm.h"
#include "components/decoders/jpeg_reader.h"
#include "components/decoders/media_still.h"
#include "components/decoders/msp.h"
#include "components/decoders/pc_paint.h"
#include "components/decoders/png_reader.h"
#include "components/decoders/routes.h"
#include "components/decoders/stored_bits.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace decoders {

namespace {

constexpr std::int64_t kMaxFileBytes = kMaxPixels * 4 + 65536;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void allowLargeQtReads() {
    static const bool limitSet = [] {
        // The budget checks come first; Qt's own guard would refuse pictures well below them.
        QImageReader::setAllocationLimit(int(kMaxPixels * 4 / (qint64{1024} * 1024)) + 1);
        return true;
    }();
    (void)limitSet;
}

// Whether a BMP's pixels are run-length coded (RLE8 or RLE4, in a Windows information header).
bool isRunLengthBmp(const QByteArray& head) {
    ByteReader r(head);
    r.seek(14);
    if (r.u32le() < 40)
        return false;
    r.seek(30);
    const std::uint32_t compression = r.u32le();
    return !r.failed() && (compression == 1 || compression == 2);
}

// GIF and BMP through Qt's own readers, which are the fastest here. An empty picture means
// Qt does not read this file (a BMP variant): the caller then asks the helper.
Picture readWithQt(QIODevice* device, const QByteArray& head, Format format, QSize hint) {
    allowLargeQtReads();
    QImageReader reader(device, format == Format::Gif ? "gif" : "bmp");
    const QSize size = reader.size();
    if (size.isValid() && !fitsBudget(size.width(), size.height(), 4, decodeBudget()))
        return failure(QStringLiteral("picture too large"));
    const bool animated = format == Format::Gif && reader.imageCount() > 1;
    QImage image;
    // Run-length pixels may skip pixels (end of line, a jump, the end of the picture early),
    // which Qt's reader leaves as the memory was: they are given colour 0 beforehand, in the
    // picture the reader then fills (it keeps one of the size and format it needs).
    if (format == Format::Bmp && size.isValid() && isRunLengthBmp(head)) {
        image = QImage(size, QImage::Format_Indexed8);
        image.fill(0);
    }
    if (!reader.read(&image) || image.isNull())
        return {};
    return finish(std::move(image), storedBitsPerPixel(head, format), hint, animated);
}

// A progressive JPEG whose whole-picture coefficient buffer is larger than this is decoded in
// the helper: the buffer cannot be avoided, and a small file can claim gigabytes of it.
constexpr std::int64_t kInProcessCoefficientBytes = 128ll << 20;

// Size of a GIF (its logical screen, which Qt's reader allocates for every frame) or a BMP as
// its header claims; invalid when the header does not say.
QSize claimedSize(const QByteArray& head, Format format) {
    ByteReader r(head);
    if (format == Format::Gif) {
        if (!head.startsWith("GIF8")) // named .gif, but no GIF inside
            return {};
        r.seek(6);
        const int w = r.u16le(), h = r.u16le();
        return r.failed() ? QSize() : QSize(w, h);
    }
    if (!head.startsWith("BM")) // a DIB without its file header: GraphicsMagick reads it
        return {};
    r.seek(14);
    if (r.u32le() == 12) {
        const int w = r.u16le(), h = r.u16le();
        return r.failed() ? QSize() : QSize(w, h);
    }
    const auto w = std::int32_t(r.u32le()), h = std::int32_t(r.u32le());
    if (r.failed() || w <= 0 || h == 0 || h == INT32_MIN)
        return {};
    return QSize(w, h < 0 ? -h : h);
}

struct OpenedFile {
    int fd = -1;
    QString error;
    ~OpenedFile() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Only regular files: opening a named pipe would wait for a writer, and a device such as
// /dev/zero never ends (the open itself does not wait, thanks to O_NONBLOCK).
void openForReading(const QByteArray& nativePath, OpenedFile& file) {
    if (nativePath.isEmpty()) {
        file.error = QStringLiteral("no file");
        return;
    }
    file.fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (file.fd < 0)
        file.error = QString::fromLocal8Bit(std::strerror(errno));
}

QByteArray readHead(int fd) {
    QByteArray head(64, '\0');
    const ssize_t n = ::pread(fd, head.data(), std::size_t(head.size()), 0);
    head.truncate(n > 0 ? qsizetype(n) : 0);
    return head;
}

// A sound's cover art or a video's frame, read by GStreamer through the descriptor's name.
Picture readStill(int fd, Format format, const DecodeOptions& options, bool factsOnly) {
    const auto limit = std::min(
        kStillTimeLimit, std::chrono::milliseconds(std::int64_t(decodeBudget().seconds * 1000)));
    Picture p = readMediaStill("/proc/self/fd/" + QByteArray::number(fd),
                               format == Format::SoundStill ? FileKind::Sound : FileKind::Video,
                               options.hint, limit);
    if (factsOnly)
        p.image = QImage();
    return p;
}

Picture decodeOpened(int fd, const QByteArray& name, const DecodeOptions& options, bool factsOnly) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return failure(QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(info.st_mode))
        return failure(QStringLiteral("not a regular file"));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const QByteArray head = readHead(fd);
    const Format format = detectFormat(head, name);
    if (format == Format::Unknown)
        return failure(QStringLiteral("not a picture"));
    if (format == Format::SoundStill || format == Format::VideoStill)
        return readStill(fd, format, options, factsOnly);
    const FormatRoute& route = routeOf(format);
    if (route.helper != HelperKind::None && route.inProcessUpToPixels == 0)
        return decodeInHelper(route.helper, fd, format, options, factsOnly);

    if (format == Format::Jpeg || format == Format::Png) {
        // Straight from the file: a large photo is never held in memory twice.
        FilePtr stream(::fdopen(::dup(fd), "rb"));
        if (!stream)
            return failure(QStringLiteral("cannot open"));
        std::rewind(stream.get());
        if (format == Format::Png)
            return readPng(stream.get(), options, factsOnly);
        std::int64_t coefficientBytes = 0;
        Picture header = readJpeg(stream.get(), options, true, &coefficientBytes);
        if (factsOnly || !header.error.isEmpty())
            return header;
        if (coefficientBytes > kInProcessCoefficientBytes)
            return decodeInHelper(route.helper, fd, format, options, false);
        std::rewind(stream.get());
        return readJpeg(stream.get(), options);
    }

    // GIF and BMP: in the program while the header claims a modest size, else in the helper.
    if (info.st_size > kMaxFileBytes)
        return failure(QStringLiteral("file too large"));
    QFile file;
    if (!file.open(::dup(fd), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return failure(file.errorString());
    file.seek(0);
    const QSize claimed = claimedSize(head, format);
    const bool modest = claimed.isValid() && std::int64_t(claimed.width()) * claimed.height() <=
                                                 route.inProcessUpToPixels;
    // A size the header claims and that is refused refuses the pixels too (Qt's GIF reader
    // would take a screen of width 0 from its frame), so the facts and the decode agree.
    if (claimed.isValid() && !sizeAcceptable(claimed.width(), claimed.height()))
        return failure(QStringLiteral("picture too large"));
    // The facts come from the header whatever the size: only the pixels go to the helper.
    if (claimed.isValid() && factsOnly) {
        file.seek(0);
        QImageReader reader(&file, format == Format::Gif ? "gif" : "bmp");
        Picture p;
        p.width = claimed.width();
        p.height = claimed.height();
        p.bitsPerPixel = storedBitsPerPixel(head, format);
        p.animated = format == Format::Gif && reader.imageCount() > 1;
        return p;
    }
    if (modest) {
        file.seek(0);
        Picture p = readWithQt(&file, head, format, options.hint);
        if (!p.image.isNull() || !p.error.isEmpty())
            return p;
    }
    return decodeInHelper(route.helper, fd, format, options, factsOnly);
}

Picture decodePath(const QByteArray& nativePath, const DecodeOptions& options, bool factsOnly) {
    OpenedFile file;
    openForReading(nativePath, file);
    if (file.fd < 0)
        return failure(file.error);
    return decodeOpened(file.fd, nativePath, options, factsOnly);
}

} // namespace

Picture readFacts(const QByteArray& nativePath, const DecodeOptions& options) {
    return decodePath(nativePath, options, true);
}

Picture decodeFile(const QByteArray& nativePath, const DecodeOptions& options) {
    return decodePath(nativePath, options, false);
}

Picture decodeOpenFile(int fd, const QByteArray& name, const DecodeOptions& options) {
    return decodeOpened(fd, name, options, false);
}

Picture readOpenFileFacts(int fd, const QByteArray& name, const DecodeOptions& options) {
    return decodeOpened(fd, name, options, true);
}

Picture decodeFile(const QString& path, QSize hint) {
    DecodeOptions options;
    options.hint = hint;
    return decodeFile(QFile::encodeName(path), options);
}

Picture decodeBytes(const QByteArray& bytes, Format format, QSize hint, bool factsOnly) {
    if (bytes.isEmpty())
        return failure(QStringLiteral("empty file"));
    switch (format) {
    case Format::Jpeg:
    case Format::Png: {
        FilePtr file(
            fmemopen(const_cast<char*>(bytes.constData()), std::size_t(bytes.size()), "rb"));
        if (!file)
            return failure(QStringLiteral("out of memory"));
        DecodeOptions options;
        options.hint = hint;
        return format == Format::Jpeg ? readJpeg(file.get(), options, factsOnly)
                                      : readPng(file.get(), options, factsOnly);
    }
    case Format::Gif:
    case Format::Bmp: {
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        buffer.open(QIODevice::ReadOnly);
        Picture p = readWithQt(&buffer, bytes.left(64), format, hint);
        return p.image.isNull() && p.error.isEmpty() ? failure(QStringLiteral("unreadable picture"))
                                                     : p;
    }
    case Format::GemImg:
        return readGemImg(bytes, hint, factsOnly);
    case Format::Msp:
        return readMsp(bytes, hint, factsOnly);
    case Format::Ilbm:
        return readIlbm(bytes, hint, factsOnly);
    case Format::PcPaint:
        return readPcPaint(bytes, hint, factsOnly);
    default:
        return failure(QStringLiteral("decoded by a helper"));
    }
}

} // namespace decoders
