#include "test_env.h"

#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace test {

void initPrivateHome(const QString& root) {
    const auto set = [&](const char* name, const QString& sub) {
        const QString dir = root + u'/' + sub;
        QDir().mkpath(dir);
        ::setenv(name, QFile::encodeName(dir).constData(), 1);
    };
    set("HOME", QStringLiteral("home"));
    set("XDG_CONFIG_HOME", QStringLiteral("config"));
    set("XDG_DATA_HOME", QStringLiteral("data"));
    set("XDG_CACHE_HOME", QStringLiteral("cache"));
    set("XDG_RUNTIME_DIR", QStringLiteral("runtime"));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString iniPath() {
    return platform::profilePath(QStringLiteral("GLIM.INI"));
}

void writeIni(const QByteArray& bytes) {
    QFile::remove(iniPath());
    if (!bytes.isEmpty())
        writeFile(iniPath(), bytes);
}

QByteArray readIni() {
    return readFile(iniPath());
}

bool iniExists() {
    return QFileInfo::exists(iniPath());
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeNativeFile(const QByteArray& path, const QByteArray& bytes) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
    ::close(fd);
}

QByteArray readNativeFile(const QByteArray& path) {
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    char buffer[65536];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    ::close(fd);
    return bytes;
}

bool existsNative(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

void removeNativeTree(const QByteArray& path) {
    ::nftw(
        path.constData(),
        [](const char* entry, const struct stat*, int, FTW*) {
            ::remove(entry); // what cannot go stays; the walk goes on
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

} // namespace test
