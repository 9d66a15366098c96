#include "platform/shell_file_ops.h"

#include "platform/dialogs.h"
#include "platform/plain_file_ops.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProgressDialog>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace platform {
namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Creates path exclusively with these bytes; false (errno EEXIST) when it exists.
bool createExclusive(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok =
        ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok)
        ::unlink(native(path).constData());
    return ok;
}

QString captionFor(ShellOperation op) {
    switch (op) {
    case ShellOperation::Move:
        return QStringLiteral("Error Moving File or Folder");
    case ShellOperation::Copy:
        return QStringLiteral("Error Copying File or Folder");
    case ShellOperation::Delete:
        break;
    }
    return QStringLiteral("Error Deleting File or Folder");
}

QString verbFor(ShellOperation op) {
    switch (op) {
    case ShellOperation::Move:
        return QStringLiteral("move");
    case ShellOperation::Copy:
        return QStringLiteral("copy");
    case ShellOperation::Delete:
        break;
    }
    return QStringLiteral("delete");
}

// Shows a progress window once an operation has lasted half a second.
class Progress {
public:
    Progress(QWidget* parent, const QString& text) : parent_(parent), text_(text) {
        timer_.start();
    }
    bool operator()(qint64 done, qint64 total) {
        if (!dialog_ && timer_.elapsed() >= 500) {
            dialog_ = std::make_unique<QProgressDialog>(text_, QStringLiteral("Cancel"), 0, 1000,
                                                        parent_);
            dialog_->setWindowTitle(QStringLiteral("Glimra"));
            dialog_->setMinimumDuration(0);
            dialog_->show();
        }
        if (dialog_) {
            dialog_->setValue(total > 0 ? int(done * 1000 / total) : 0);
            QCoreApplication::processEvents();
            if (dialog_->wasCanceled())
                return false;
        }
        return true;
    }

private:
    QPointer<QWidget> parent_;
    QString text_;
    QElapsedTimer timer_;
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace

QString homeTrashPath() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Trash");
}

bool moveToTrash(const QString& path) {
    const QFileInfo source(path);
    if (!source.exists() && !source.isSymLink()) {
        errno = ENOENT;
        return false;
    }
    const QString trash = homeTrashPath();
    if (!QDir().mkpath(trash + QStringLiteral("/files")) ||
        !QDir().mkpath(trash + QStringLiteral("/info"))) {
        errno = EACCES;
        return false;
    }
    QFile::setPermissions(trash, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString name = source.fileName();
    const QString absolute = source.absoluteFilePath();
    const QByteArray info =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(absolute, "/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toUtf8() +
        "\n";
    // The info file is created first and exclusively: it reserves the name in the trash.
    for (int n = 1; n < 100000; ++n) {
        const QString trashName =
            n == 1 ? name
                   : QStringLiteral("%1.%2%3")
                         .arg(source.completeBaseName())
                         .arg(n)
                         .arg(source.suffix().isEmpty() ? QString() : u'.' + source.suffix());
        const QString infoPath =
            trash + QStringLiteral("/info/") + trashName + QStringLiteral(".trashinfo");
        if (!createExclusive(infoPath, info)) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const QString target = trash + QStringLiteral("/files/") + trashName;
        if (plainMove(absolute, target))
            return true;
        const int err = errno;
        ::unlink(native(infoPath).constData());
        errno = err;
        if (err == EEXIST)
            continue;
        return false;
    }
    errno = EEXIST;
    return false;
}

bool shellFileOperation(QWidget* parent, const ShellRequest& r) {
    const QString name = QFileInfo(r.from).fileName();
    Progress progress(parent, QStringLiteral("%1 %2").arg(r.operation == ShellOperation::Copy
                                                              ? QStringLiteral("Copying")
                                                              : QStringLiteral("Moving"),
                                                          name));
    const CopyProgress report = [&progress](qint64 done, qint64 total) {
        return progress(done, total);
    };
    bool ok = false;
    errno = 0;
    switch (r.operation) {
    case ShellOperation::Delete:
        ok = r.allowUndo ? moveToTrash(r.from) : plainDelete(r.from);
        break;
    case ShellOperation::Copy:
        ok = plainCopy(r.from, r.to, report);
        break;
    case ShellOperation::Move:
        ok = replacingMove(r.from, r.to, report);
        break;
    }
    if (ok)
        return true;
    const int err = errno;
    if (err == ECANCELED)
        return false;
    const QString reason =
        err == EINVAL && r.operation != ShellOperation::Delete
            ? QStringLiteral("The source and destination file names are the same")
            : QString::fromLocal8Bit(std::strerror(err));
    dialogs().message(parent,
                      {captionFor(r.operation),
                       QStringLiteral("Cannot %1 %2: %3.").arg(verbFor(r.operation), name, reason),
                       MessageIcon::Error,
                       {MessageButton::Ok}});
    return false;
}

} // namespace platform
