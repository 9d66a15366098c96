#include "filelists/directory_entries.h"

#include "platform/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filelists {
namespace {

enum class EntryKind { File, Directory, System };

// The kind of an entry, from the directory's own type field when it has one, else from stat;
// symbolic links are followed, and one that leads nowhere is a system entry.
EntryKind kindOf(int dirFd, const dirent* entry) {
    switch (entry->d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Directory;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, 0) != 0)
            return EntryKind::System;
        if (S_ISREG(st.st_mode))
            return EntryKind::File;
        if (S_ISDIR(st.st_mode))
            return EntryKind::Directory;
        return EntryKind::System;
    }
    default:
        return EntryKind::System;
    }
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool isAscii(const char* s, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    return true;
}

inline char16_t lowerAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + 32 : c;
}

// Closes the directory stream on every way out.
struct DirCloser {
    DIR* dir;
    ~DirCloser() {
        if (dir)
            ::closedir(dir);
    }
};

} // namespace

bool rowLess(const FileRow& a, const FileRow& b) {
    int order = 0;
    if (a.ascii && b.ascii) {
        const qsizetype n = std::min(a.text.size(), b.text.size());
        const char16_t* x = reinterpret_cast<const char16_t*>(a.text.constData());
        const char16_t* y = reinterpret_cast<const char16_t*>(b.text.constData());
        for (qsizetype i = 0; i < n && order == 0; ++i)
            order = int(lowerAscii(x[i])) - int(lowerAscii(y[i]));
        if (order == 0)
            order = a.text.size() < b.text.size() ? -1 : (a.text.size() > b.text.size() ? 1 : 0);
    } else {
        order = a.text.compare(b.text, Qt::CaseInsensitive);
    }
    if (order != 0)
        return order < 0;
    return a.name < b.name;
}

std::vector<FileRow> readFileRows(const QByteArray& dir, const MaskMatcher& mask,
                                  TFileType fileType, const std::function<void()>& manyRows) {
    DirCloser stream{::opendir(dir.constData())};
    if (!stream.dir)
        platform::raiseFromErrno(errno);
    const int fd = ::dirfd(stream.dir);
    const bool wantHidden = fileType.testFlag(ftHidden);
    const bool wantSystem = fileType.testFlag(ftSystem);
    const bool wantDirectory = fileType.testFlag(ftDirectory);
    const bool wantReadOnly = fileType.testFlag(ftReadOnly);
    const bool wantNormal = fileType.testFlag(ftNormal);

    std::vector<FileRow> rows;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(stream.dir);
        if (!entry) {
            if (errno != 0)
                platform::raiseFromErrno(errno);
            break;
        }
        const size_t length = std::strlen(entry->d_name);
        const int matches = mask.matchCount(std::string_view(entry->d_name, length));
        if (matches == 0)
            continue;
        // "." and ".." are plain directory entries, as on Windows.
        const bool hidden = entry->d_name[0] == '.' && !isDotOrDotDot(entry->d_name);
        const EntryKind kind = kindOf(fd, entry);
        const bool system = kind == EntryKind::System;
        const bool directory = kind == EntryKind::Directory;
        if ((hidden && !wantHidden) || (system && !wantSystem) || (directory && !wantDirectory))
            continue;
        const bool readOnly = wantReadOnly && ::faccessat(fd, entry->d_name, W_OK, AT_EACCESS) != 0;
        const bool listed = wantNormal || (hidden && wantHidden) || (system && wantSystem) ||
                            (directory && wantDirectory) || readOnly;
        if (!listed)
            continue;
        FileRow row;
        row.name = QByteArray(entry->d_name, qsizetype(length));
        row.ascii = isAscii(entry->d_name, length);
        const QString name =
            row.ascii ? QString::fromLatin1(row.name) : QString::fromUtf8(row.name);
        row.text = directory ? u'[' + name + u']' : name;
        row.directory = directory;
        for (int i = 0; i < matches; ++i) {
            rows.push_back(row);
            if (rows.size() == 101 && manyRows)
                manyRows();
        }
    }
    std::sort(rows.begin(), rows.end(), rowLess);
    return rows;
}

QList<QByteArray> readSubdirectoryNames(const QByteArray& dir) {
    DirCloser stream{::opendir(dir.constData())};
    if (!stream.dir)
        return {};
    const int fd = ::dirfd(stream.dir);
    std::vector<FileRow> found;
    while (const dirent* entry = ::readdir(stream.dir)) {
        if (entry->d_name[0] == '.') // hidden, or "." and ".."
            continue;
        if (kindOf(fd, entry) != EntryKind::Directory)
            continue;
        FileRow row;
        row.name = QByteArray(entry->d_name);
        row.ascii = isAscii(row.name.constData(), size_t(row.name.size()));
        row.text = QString::fromUtf8(row.name);
        found.push_back(std::move(row));
    }
    std::sort(found.begin(), found.end(), rowLess);
    QList<QByteArray> names;
    names.reserve(qsizetype(found.size()));
    for (FileRow& row : found)
        names.append(std::move(row.name));
    return names;
}

} // namespace filelists
