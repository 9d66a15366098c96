#include "platform/trash.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Creates path exclusively with these bytes; false (errno EEXIST) when it exists.
bool createExclusive(const NativePath& path, const QByteArray& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok =
        ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
    const int err = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(path.c_str());
        errno = err;
    }
    return ok;
}

// A folder of ours: made mode 0700 when absent, and only used when it is a real folder (not a
// link) that belongs to us.
bool ownFolder(const NativePath& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        errno = EPERM;
        return false;
    }
    return true;
}

// Makes path and the folders above it that are missing (mode 0700, as the data folder's own).
bool makeFolders(const NativePath& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    const NativePath up = path.directory();
    if (!up.isEmpty() && up != path && !makeFolders(up))
        return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// The device of path, or of the nearest folder above it that exists.
dev_t deviceOf(NativePath path) {
    struct stat st {};
    while (!path.isEmpty()) {
        if (::stat(path.c_str(), &st) == 0)
            return st.st_dev;
        path = path.directory();
    }
    return 0;
}

// The top folder of the volume holding file: the highest folder above it on the same device.
NativePath topFolderOf(const NativePath& file, dev_t device) {
    NativePath top = file.directory();
    for (;;) {
        const NativePath up = top.directory();
        struct stat st {};
        if (top.bytes() == "/" || up.isEmpty() || ::stat(up.c_str(), &st) != 0 ||
            st.st_dev != device)
            return top;
        top = up;
    }
}

QByteArray uidText() {
    return QByteArray::number(qulonglong(::geteuid()));
}

// Moves source into the trash folder trash, recording originalPath (absolute, or relative to
// the volume's top folder) in its info file. With copy, a file on another volume is copied.
bool trashInto(const NativePath& trash, const NativePath& source, const QByteArray& originalPath,
               bool copy, const CopyProgress& progress) {
    const NativePath files = trash.child("files");
    const NativePath info = trash.child("info");
    if (!ownFolder(trash) || !ownFolder(files) || !ownFolder(info))
        return false;
    const QByteArray record =
        "[Trash Info]\nPath=" + originalPath.toPercentEncoding("/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() +
        "\n";
    const QByteArray name = source.fileName();
    // The info file is created first and exclusively: it reserves the name in the trash.
    for (int n = 1; n < 100000; ++n) {
        const QByteArray trashed = trashName(name, n);
        const NativePath infoPath = info.child(trashed + ".trashinfo");
        if (!createExclusive(infoPath, record)) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const NativePath target = files.child(trashed);
        if (copy ? plainMove(source, target, progress) : renameNoReplace(source, target))
            return true;
        const int err = errno;
        ::unlink(infoPath.c_str());
        errno = err;
        if (err != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

} // namespace

NativePath homeTrashPath() {
    QByteArray base = qgetenv("XDG_DATA_HOME");
    if (!base.startsWith('/'))
        base = QFile::encodeName(QDir::homePath()) + "/.local/share";
    return NativePath(base).child("Trash");
}

std::optional<NativePath> volumeTrashPath(const NativePath& file) {
    const NativePath absolute = file.absolute();
    struct stat st {};
    if (::lstat(absolute.c_str(), &st) != 0)
        return std::nullopt;
    const NativePath top = topFolderOf(absolute, st.st_dev);
    const NativePath shared = top.child(".Trash");
    struct stat sharedStat {};
    // A shared trash that is a link or lacks the sticky bit could hand our files to another
    // user: it is passed over.
    if (::lstat(shared.c_str(), &sharedStat) == 0 && S_ISDIR(sharedStat.st_mode) &&
        (sharedStat.st_mode & S_ISVTX)) {
        const NativePath mine = shared.child(uidText());
        if (ownFolder(mine))
            return mine;
    }
    const NativePath own = top.child(".Trash-" + uidText());
    if (ownFolder(own))
        return own;
    return std::nullopt;
}

bool moveToTrash(const NativePath& path, const CopyProgress& progress) {
    const NativePath source = path.absolute();
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0)
        return false;
    const NativePath home = homeTrashPath();
    if (st.st_dev != deviceOf(home)) {
        // On its own volume the trash records the path below the volume's top folder, so the
        // record stays right wherever the volume is mounted next time.
        if (const std::optional<NativePath> trash = volumeTrashPath(source)) {
            const NativePath top = topFolderOf(source, st.st_dev);
            const QByteArray relative =
                source.bytes().mid(top.bytes() == "/" ? 1 : top.bytes().size() + 1);
            if (trashInto(*trash, source, relative, false, progress))
                return true;
            if (errno == ENOENT)
                return false;
        }
    }
    // The home trash: a rename on its own volume, a copy from any volume without a trash that
    // takes the file.
    if (!makeFolders(home.directory()))
        return false;
    return trashInto(home, source, source.bytes(), true, progress);
}

QByteArray trashName(const QByteArray& name, int n) {
    const qsizetype dot = name.lastIndexOf('.');
    // A dot that starts the name, or an extension too long to be one, is part of the base.
    const bool hasExtension = dot > 0 && name.size() - dot <= 32;
    QByteArray base = hasExtension ? name.left(dot) : name;
    const QByteArray extension = hasExtension ? name.mid(dot) : QByteArray();
    const QByteArray number = n > 1 ? '.' + QByteArray::number(n) : QByteArray();
    const qsizetype room = kTrashNameMax - extension.size() - number.size();
    if (base.size() > room) {
        qsizetype cut = room;
        // Never keep half of a character: back off over UTF-8 continuation bytes.
        while (cut > 0 && (uchar(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.truncate(cut);
    }
    return base + number + extension;
}

} // namespace platform
