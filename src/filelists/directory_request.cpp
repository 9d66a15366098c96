#include "filelists/directory_request.h"

#include <sys/stat.h>

namespace filelists {
namespace {

bool isDirectory(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0;
}

} // namespace

QByteArray joinPath(const QByteArray& dir, const QByteArray& name) {
    if (dir.endsWith('/'))
        return dir + name;
    return dir + '/' + name;
}

QByteArray requestedDirectory(const QByteArray& path, const QByteArray& workingDirectory) {
    const auto absolute = [&](const QByteArray& p) {
        return p.startsWith('/') ? p : joinPath(workingDirectory, p);
    };
    QByteArray request = path;
    if (request.size() > 2 && request.startsWith('[') && request.endsWith(']') &&
        !isDirectory(absolute(request)))
        request = request.mid(1, request.size() - 2);
    QByteArray full = absolute(request);
    while (full.size() > 1 && full.endsWith('/'))
        full.chop(1);
    const qsizetype slash = full.lastIndexOf('/');
    const QByteArray last = full.mid(slash + 1);
    const bool wildcard = last.contains('*') || last.contains('?');
    if (!last.isEmpty() && !isDirectory(full) && (exists(full) || wildcard))
        full = slash <= 0 ? QByteArray("/") : full.left(slash);
    return full;
}

} // namespace filelists
