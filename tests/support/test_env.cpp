#include "test_env.h"

#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <stdexcept>

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

} // namespace test
