#include "components/jpeg_writer.h"

#include "platform/errors.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace components {

namespace {

[[noreturn]] void fail(const QString& path, const QString& reason) {
    throw platform::GlimraError(QStringLiteral("Cannot write %1: %2").arg(path, reason));
}

QString systemReason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// Writes bytes to a temporary file in the target's folder, flushes it to the disk and renames
// it over the target; on any failure the temporary file goes and the target stays as it was.
void writeReplacing(const QByteArray& bytes, const QString& path) {
    const QFileInfo target(path);
    QByteArray temporary =
        QFile::encodeName(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        fail(path, systemReason(errno));
    // The new file gets the old one's permissions, or the usual ones for a new file.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(path).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int err = 0;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0 && err == 0) {
        const ssize_t n = ::write(fd, data, std::size_t(left));
        if (n < 0 && errno != EINTR)
            err = errno;
        else if (n > 0)
            data += n, left -= n;
    }
    if (err == 0 && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0))
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temporary.constData());
        fail(path, systemReason(err));
    }
}

} // namespace

void writeJpeg(const QImage& image, const QString& path) {
    if (image.isNull())
        fail(path, QStringLiteral("there is no picture to save"));
    QImage flat(image.size(), QImage::Format_RGB32);
    if (flat.isNull())
        fail(path, QStringLiteral("not enough memory"));
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    // Encoded in memory first, so that a failed write reports the system's reason.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(flat))
        fail(path, writer.errorString());
    writeReplacing(encoded, path);
}

} // namespace components
