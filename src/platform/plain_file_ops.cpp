#include "platform/plain_file_ops.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Keeps errno of the first failure while cleaning up.
struct ErrnoKeeper {
    int saved = errno;
    ~ErrnoKeeper() { errno = saved; }
};

bool copyBytes(int in, int out, qint64 total, const CopyProgress& progress) {
    static constexpr size_t kChunk = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    qint64 done = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer.get(), kChunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (ssize_t off = 0; off < n;) {
            const ssize_t w = ::write(out, buffer.get() + off, size_t(n - off));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                return false;
            off += w;
        }
        done += n;
        if (progress && !progress(done, total)) {
            errno = ECANCELED;
            return false;
        }
    }
}

// Copies from into a new temporary file in the target's folder and returns its name, or empty.
QByteArray copyToTemporary(const QString& from, const QString& to, const CopyProgress& progress) {
    const int in = ::open(native(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return {};
    struct stat st {};
    if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(in);
        errno = err;
        return {};
    }
    QByteArray tmp = native(QFileInfo(to).absolutePath()) + "/.glimra-copy-XXXXXX";
    const int out = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (out < 0) {
        ErrnoKeeper keep;
        ::close(in);
        return {};
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    bool ok = copyBytes(in, out, st.st_size, progress) && ::fchmod(out, st.st_mode & 07777) == 0 &&
              ::fsync(out) == 0;
    if (ok)
        ::futimens(out, times);
    {
        ErrnoKeeper keep;
        ::close(in);
    }
    ok = (::close(out) == 0) && ok;
    if (!ok) {
        ErrnoKeeper keep;
        ::unlink(tmp.constData());
        return {};
    }
    return tmp;
}

void syncFolderOf(const QString& path) {
    const int fd = ::open(native(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool moveAcross(const QString& from, const QString& to, bool replace,
                const CopyProgress& progress) {
    const QByteArray tmp = copyToTemporary(from, to, progress);
    if (tmp.isEmpty())
        return false;
    // Without replacing, link() refuses an existing target atomically.
    const bool placed = replace ? ::rename(tmp.constData(), native(to).constData()) == 0
                                : ::link(tmp.constData(), native(to).constData()) == 0;
    if (!placed) {
        ErrnoKeeper keep;
        ::unlink(tmp.constData());
        return false;
    }
    if (!replace)
        ::unlink(tmp.constData());
    syncFolderOf(to);
    if (::unlink(native(from).constData()) != 0) {
        // The source stays: the move failed, and the copy would be a second file.
        ErrnoKeeper keep;
        ::unlink(native(to).constData());
        return false;
    }
    return true;
}

} // namespace

bool plainDelete(const QString& path) {
    struct stat st {};
    if (::lstat(native(path).constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return ::unlink(native(path).constData()) == 0;
}

bool plainCopy(const QString& from, const QString& to, const CopyProgress& progress) {
    if (sameFile(from, to)) {
        errno = EINVAL;
        return false;
    }
    const QByteArray tmp = copyToTemporary(from, to, progress);
    if (tmp.isEmpty())
        return false;
    if (::rename(tmp.constData(), native(to).constData()) != 0) {
        ErrnoKeeper keep;
        ::unlink(tmp.constData());
        return false;
    }
    syncFolderOf(to);
    return true;
}

bool plainMove(const QString& from, const QString& to, const CopyProgress& progress) {
    if (::renameat2(AT_FDCWD, native(from).constData(), AT_FDCWD, native(to).constData(),
                    RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EXDEV)
        return moveAcross(from, to, false, progress);
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // File systems without RENAME_NOREPLACE: link then unlink never replaces either.
    if (::link(native(from).constData(), native(to).constData()) != 0)
        return errno == EXDEV ? moveAcross(from, to, false, progress) : false;
    return ::unlink(native(from).constData()) == 0;
}

bool replacingMove(const QString& from, const QString& to, const CopyProgress& progress) {
    if (sameFile(from, to)) {
        errno = EINVAL;
        return false;
    }
    if (::rename(native(from).constData(), native(to).constData()) == 0)
        return true;
    if (errno == EXDEV)
        return moveAcross(from, to, true, progress);
    return false;
}

bool sameFile(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    return ::stat(native(a).constData(), &sa) == 0 && ::stat(native(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace platform
