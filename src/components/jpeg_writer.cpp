#include "components/jpeg_writer.h"

#include "platform/errors.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace components {

namespace {

[[noreturn]] void fail(const platform::NativePath& path, const QString& reason) {
    throw platform::GlimraError(QStringLiteral("Cannot write %1: %2").arg(path.display(), reason));
}

QString systemReason(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

// The file a path names once symbolic links are followed; the path itself when it is no link.
// A dangling link names the file it would create.
platform::NativePath throughLinks(platform::NativePath path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        QByteArray target(st.st_size > 0 ? st.st_size + 1 : PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), size_t(target.size()));
        if (n < 0 || n >= target.size())
            return path;
        target.truncate(n);
        path = target.startsWith('/') ? platform::NativePath(target)
                                      : path.absolute().directory().child(target);
    }
    fail(path, systemReason(ELOOP));
}

// Writes bytes to a temporary file in the target's folder, flushes it to the disk and renames
// it over the target; on any failure the temporary file goes and the target stays as it was.
void writeReplacing(const QByteArray& bytes, const platform::NativePath& requested) {
    const platform::NativePath path = throughLinks(requested);
    // The new file gets the old one's permissions, or the usual ones for a new file. An
    // existing file the user may not write is left alone, although its folder would let us
    // replace it; one without any write bit is read-only for root too.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &old) == 0) {
        if (::access(path.c_str(), W_OK) != 0)
            fail(requested, systemReason(errno));
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            fail(requested, systemReason(EACCES));
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    // A short temporary name: the target's own may be as long as a name can be.
    QByteArray temporary = path.absolute().directory().child(".glimra-jpeg-XXXXXX").bytes();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        fail(requested, systemReason(errno));
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
    if (err == 0 && ::rename(temporary.constData(), path.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temporary.constData());
        fail(requested, systemReason(err));
    }
}

} // namespace

void writeJpeg(const QImage& image, const platform::NativePath& path) {
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
