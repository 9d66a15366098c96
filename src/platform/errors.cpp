#include "platform/errors.h"

#include <cerrno>

namespace platform {

InOutError::InOutError(int code) : GlimraError(inOutErrorText(code)), code_(code) {}

QString inOutErrorText(int code) {
    switch (code) {
    case 2:
        return QStringLiteral("File not found");
    case 3:
        return QStringLiteral("Invalid filename");
    case 4:
        return QStringLiteral("Too many open files");
    case 5:
        return QStringLiteral("File access denied");
    case 100:
        return QStringLiteral("Read beyond end of file");
    case 101:
        return QStringLiteral("Disk full");
    case 106:
        return QStringLiteral("Invalid numeric input");
    default:
        return QStringLiteral("I/O error %1").arg(code);
    }
}

InOutError InOutError::fromErrno(int err) {
    switch (err) {
    case ENOENT:
        return InOutError(2);
    case ENOTDIR: // a file where a folder was named: Windows' "path not found"
    case ENAMETOOLONG:
    case EINVAL:
        return InOutError(3);
    case EMFILE:
    case ENFILE:
        return InOutError(4);
    case EACCES:
    case EPERM:
        return InOutError(5);
    case ENOSPC:
        return InOutError(101);
    default:
        return InOutError(err, QStringLiteral("I/O error %1").arg(err));
    }
}

void raiseFromErrno(int err) {
    throw InOutError::fromErrno(err);
}

} // namespace platform
