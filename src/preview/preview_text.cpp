#include "preview/preview_text.h"

#include "components/decoders/file_types.h"
#include "platform/errors.h"

#include <QFile>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace preview {

QString upperExtension(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < slash)
        return {};
    return path.mid(dot).toUpper();
}

bool isMediaFile(const QString& path) {
    const std::optional<decoders::FileType> type = decoders::fileTypeOf(path);
    return type && decoders::isPlayed(type->kind);
}

QString imageStatusLine(const QString& path, int bmpw, int bmph, int bmpc) {
    QString line = path + QStringLiteral(" - Image Size: ") + QString::number(bmpw) +
                   QStringLiteral(" x ") + QString::number(bmph) + QStringLiteral(" Pixels");
    switch (bmpc) {
    case 0:
        return line;
    case 1:
        return line + QStringLiteral(" x 2 colors");
    case 4:
        return line + QStringLiteral(" x 16 colors");
    case 8:
        return line + QStringLiteral(" x 256 colors");
    case 16:
        return line + QStringLiteral(" x 65K colors");
    case 24:
        return line + QStringLiteral(" x 16.8M colors");
    default:
        return line + QStringLiteral(" x ") + QString::number(bmpc) + QStringLiteral(" bit color");
    }
}

QString fileSizeLine(qint64 bytes, const QLocale& locale) {
    const float kilobytes = float(bytes) * 0.0009765625f;
    // The single-precision value times ten is exact in double, so round() sees the true half.
    const auto tenths = static_cast<long long>(std::round(double(kilobytes) * 10.0));
    return QStringLiteral("FileSize:  ") + QString::number(tenths / 10) + locale.decimalPoint() +
           QString::number(tenths % 10) + QStringLiteral(" KB");
}

QString placeholderFor(const QString& path, const QString& execDir) {
    const std::optional<decoders::FileType> type = decoders::fileTypeOf(path);
    switch (type ? type->kind : decoders::FileKind::Midi) {
    case decoders::FileKind::Sound:
        return execDir + QStringLiteral("/Wave.bmp");
    case decoders::FileKind::Video:
        return execDir + QStringLiteral("/Avi.bmp");
    default:
        return execDir + QStringLiteral("/Midi.bmp");
    }
}

QString ownPictureOf(const QString& path) {
    const std::optional<decoders::FileType> type = decoders::fileTypeOf(path);
    const bool mayCarry =
        type && type->added &&
        (type->kind == decoders::FileKind::Sound || type->kind == decoders::FileKind::Video);
    return mayCarry ? path : QString();
}

qint64 fileLength(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        platform::raiseFromErrno(errno);
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0;
    const int err = errno;
    ::close(fd);
    if (!ok)
        platform::raiseFromErrno(err);
    return st.st_size;
}

} // namespace preview
