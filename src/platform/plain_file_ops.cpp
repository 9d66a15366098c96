#include "platform/plain_file_ops.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {
namespace {

// Keeps errno of the first failure while cleaning up.
struct ErrnoKeeper {
    int saved = errno;
    ~ErrnoKeeper() { errno = saved; }
};

bool sameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The same file with the same contents as far as the system tells: inode, size and times. The
// change time tells a copy from its original even where a file system numbers inodes by name.
bool unchanged(const struct stat& before, const struct stat& now) {
    return sameInode(before, now) && before.st_size == now.st_size &&
           sameTime(before.st_mtim, now.st_mtim) && sameTime(before.st_ctim, now.st_ctim);
}

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

// A complete, flushed copy under a temporary name in the target's folder.
struct Copy {
    QByteArray temporary;
    struct stat source {}; // the source as it was opened
    struct stat copy {};   // the temporary file
};

std::optional<Copy> copyToTemporary(const NativePath& from, const NativePath& to,
                                    const CopyProgress& progress) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return std::nullopt;
    Copy copy;
    if (::fstat(in, &copy.source) != 0 || S_ISDIR(copy.source.st_mode)) {
        const int err = S_ISDIR(copy.source.st_mode) ? EISDIR : errno;
        ::close(in);
        errno = err;
        return std::nullopt;
    }
    // A short fixed name: the target's own name may already be as long as a name can be.
    copy.temporary = to.absolute().directory().child(".glimra-copy-XXXXXX").bytes();
    const int out = ::mkostemp(copy.temporary.data(), O_CLOEXEC);
    if (out < 0) {
        ErrnoKeeper keep;
        ::close(in);
        return std::nullopt;
    }
    const timespec times[2] = {copy.source.st_atim, copy.source.st_mtim};
    bool ok = copyBytes(in, out, copy.source.st_size, progress) &&
              ::fchmod(out, copy.source.st_mode & 07777) == 0 && ::fsync(out) == 0;
    if (ok)
        ::futimens(out, times);
    ok = ok && ::fstat(out, &copy.copy) == 0;
    {
        ErrnoKeeper keep;
        ::close(in);
    }
    ok = (::close(out) == 0) && ok;
    if (!ok) {
        ErrnoKeeper keep;
        ::unlink(copy.temporary.constData());
        return std::nullopt;
    }
    return copy;
}

void syncFolderOf(const NativePath& path) {
    const int fd = ::open(path.absolute().directory().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Puts from at to, replacing what is there, and returns where the old target now is so that
// it can be put back: the temporary name itself after an exchange, a reserved name beside the
// target otherwise; empty when there was no old target. nullopt on failure.
std::optional<QByteArray> placeKeepingOld(const QByteArray& from, const NativePath& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0)
        return from;
    if (errno == ENOENT) {
        if (renameNoReplace(NativePath(from), to))
            return QByteArray();
        return std::nullopt;
    }
    if (errno != EINVAL && errno != ENOSYS)
        return std::nullopt;
    // No exchange on this file system: the old target steps aside under a reserved name first.
    QByteArray aside = to.absolute().directory().child(".glimra-old-XXXXXX").bytes();
    const int fd = ::mkostemp(aside.data(), O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    ::close(fd);
    if (::rename(to.c_str(), aside.constData()) != 0) {
        ErrnoKeeper keep;
        ::unlink(aside.constData());
        return std::nullopt;
    }
    if (::rename(from.constData(), to.c_str()) != 0) {
        ErrnoKeeper keep;
        ::rename(aside.constData(), to.c_str());
        return std::nullopt;
    }
    return aside;
}

bool moveAcross(const NativePath& from, const NativePath& to, bool replace,
                const CopyProgress& progress) {
    // Nothing is copied, let alone replaced, for a source that cannot go afterwards.
    if (const int err = removalError(from)) {
        errno = err;
        return false;
    }
    const std::optional<Copy> copy = copyToTemporary(from, to, progress);
    if (!copy)
        return false;
    std::optional<QByteArray> old;
    if (replace)
        old = placeKeepingOld(copy->temporary, to);
    else if (renameNoReplace(NativePath(copy->temporary), to))
        old = QByteArray();
    if (!old) {
        ErrnoKeeper keep;
        ::unlink(copy->temporary.constData());
        return false;
    }
    syncFolderOf(to);
    // Puts the files back as they were: the old target, or no target at all.
    const auto undo = [&](int err) {
        if (old->isEmpty())
            ::unlink(to.c_str());
        else
            ::rename(old->constData(), to.c_str());
        syncFolderOf(to);
        errno = err;
        return false;
    };
    // The source goes only while it is still the file that was copied and the target holds
    // the copy. Two views of one folder (a bind mount, a FUSE mirror) can make the source name
    // show the copy itself; removing it then would remove the only file left.
    struct stat source {
    }, target{};
    if (::stat(to.c_str(), &target) != 0)
        return undo(errno);
    if (!sameInode(target, copy->copy))
        return undo(EBUSY);
    if (::stat(from.c_str(), &source) != 0)
        return undo(errno);
    if (sameInode(source, copy->copy))
        return undo(EINVAL);
    if (!unchanged(copy->source, source))
        return undo(EBUSY);
    if (::unlink(from.c_str()) != 0)
        return undo(errno);
    if (!old->isEmpty())
        ::unlink(old->constData());
    syncFolderOf(from);
    return true;
}

} // namespace

bool plainDelete(const NativePath& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

bool plainCopy(const NativePath& from, const NativePath& to, const CopyProgress& progress) {
    if (sameFile(from, to)) {
        errno = EINVAL;
        return false;
    }
    const std::optional<Copy> copy = copyToTemporary(from, to, progress);
    if (!copy)
        return false;
    if (::rename(copy->temporary.constData(), to.c_str()) != 0) {
        ErrnoKeeper keep;
        ::unlink(copy->temporary.constData());
        return false;
    }
    syncFolderOf(to);
    return true;
}

bool renameNoReplace(const NativePath& from, const NativePath& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // The file system cannot refuse an existing target by itself: the name is reserved by an
    // exclusive create, which fails when it is taken, and the file renamed over the reservation.
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    ErrnoKeeper keep;
    ::unlink(to.c_str());
    return false;
}

bool plainMove(const NativePath& from, const NativePath& to, const CopyProgress& progress) {
    if (renameNoReplace(from, to))
        return true;
    if (errno == EXDEV)
        return moveAcross(from, to, false, progress);
    return false;
}

bool replacingMove(const NativePath& from, const NativePath& to, const CopyProgress& progress) {
    if (sameFile(from, to)) {
        errno = EINVAL;
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno == EXDEV)
        return moveAcross(from, to, true, progress);
    return false;
}

bool sameFile(const NativePath& a, const NativePath& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sameInode(sa, sb);
}

int removalError(const NativePath& path) {
    const NativePath folder = path.absolute().directory();
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY))
        return EROFS;
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return errno;
    struct stat dir {
    }, file{};
    if (::stat(folder.c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) &&
        ::lstat(path.c_str(), &file) == 0) {
        // In a sticky folder only the file's owner, the folder's owner and root remove it.
        const uid_t me = ::geteuid();
        if (me != 0 && me != file.st_uid && me != dir.st_uid)
            return EPERM;
    }
    return 0;
}

} // namespace platform
