#include "scratch_mounts.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace test {

ScratchMounts::~ScratchMounts() {
    for (qsizetype i = mounted_.size() - 1; i >= 0; --i)
        ::umount2(QFile::encodeName(mounted_[i]).constData(), MNT_DETACH);
}

bool ScratchMounts::mountAt(const QString& path, const char* source, const char* type,
                            unsigned long flags, const char* options) {
    if (::geteuid() != 0 || !QDir().mkpath(path))
        return false;
    if (::mount(source, QFile::encodeName(path).constData(), type, flags, options) != 0)
        return false;
    mounted_ << path;
    return true;
}

QString ScratchMounts::tmpfs(const QString& path, int sizeKiB) {
    const QByteArray options = "size=" + QByteArray::number(sizeKiB) + "k,mode=0755";
    return mountAt(path, "tmpfs", "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) ? path
                                                                                      : QString();
}

QString ScratchMounts::bindView(const QString& folder, const QString& path) {
    const QByteArray source = QFile::encodeName(folder);
    return mountAt(path, source.constData(), nullptr, MS_BIND, nullptr) ? path : QString();
}

QString ScratchMounts::readOnlyView(const QString& folder, const QString& path) {
    if (bindView(folder, path).isEmpty())
        return {};
    // A bind mount takes read-only only by a remount of its own.
    if (::mount(nullptr, QFile::encodeName(path).constData(), nullptr,
                MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        return {};
    return path;
}

bool setImmutable(const QString& path, bool immutable) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = immutable ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

} // namespace test
