#include "platform/native_path.h"

#include "platform/volumes.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <unistd.h>

namespace platform {

NativePath NativePath::fromText(const QString& text) {
    return NativePath(QFile::encodeName(text));
}

QString NativePath::display() const {
    return displayText(bytes_);
}

QByteArray NativePath::fileName() const {
    return bytes_.mid(bytes_.lastIndexOf('/') + 1);
}

NativePath NativePath::directory() const {
    const qsizetype slash = bytes_.lastIndexOf('/');
    if (slash < 0)
        return {};
    return NativePath(slash == 0 ? QByteArray("/") : bytes_.left(slash));
}

NativePath NativePath::child(const QByteArray& name) const {
    if (bytes_.endsWith('/'))
        return NativePath(bytes_ + name);
    return NativePath(bytes_ + '/' + name);
}

NativePath NativePath::absolute() const {
    if (bytes_.startsWith('/'))
        return NativePath(cleanPath(bytes_));
    return NativePath(cleanPath(currentDirectoryOrRoot() + '/' + bytes_));
}

QString displayText(const QByteArray& native) {
    return QFile::decodeName(native);
}

QString readablePath(const QByteArray& native) {
    const QString decoded = QFile::decodeName(native);
    if (native.isEmpty() || QFile::encodeName(decoded) == native)
        return decoded;
    static std::unique_ptr<QTemporaryDir> links;
    if (!links) {
        links =
            std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/glimra-XXXXXX"));
        if (!links->isValid())
            return decoded;
    }
    // The extension decides how the file is read, so the link keeps it when it is readable.
    const qsizetype dot = native.lastIndexOf('.');
    const qsizetype slash = native.lastIndexOf('/');
    QString extension;
    if (dot > slash) {
        const QByteArray ext = native.mid(dot);
        if (QFile::encodeName(QFile::decodeName(ext)) == ext)
            extension = QFile::decodeName(ext);
    }
    const QString link = links->filePath(
        QString::fromLatin1(QCryptographicHash::hash(native, QCryptographicHash::Sha1).toHex()) +
        extension);
    const QByteArray linkNative = QFile::encodeName(link);
    ::unlink(linkNative.constData());
    if (::symlink(native.constData(), linkNative.constData()) != 0)
        return decoded;
    return link;
}

} // namespace platform
