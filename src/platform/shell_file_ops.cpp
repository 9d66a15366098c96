#include "platform/shell_file_ops.h"

#include "platform/dialogs.h"
#include "platform/plain_file_ops.h"
#include "platform/trash.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <cerrno>
#include <cstring>
#include <memory>

namespace platform {
namespace {

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

QString progressVerbFor(ShellOperation op) {
    switch (op) {
    case ShellOperation::Move:
        return QStringLiteral("Moving");
    case ShellOperation::Copy:
        return QStringLiteral("Copying");
    case ShellOperation::Delete:
        break;
    }
    return QStringLiteral("Deleting");
}

std::chrono::milliseconds g_progressDelay{500};

// Shows a progress window once an operation has lasted g_progressDelay.
class Progress {
public:
    Progress(QWidget* parent, const QString& text) : parent_(parent), text_(text) {
        timer_.start();
    }
    bool operator()(qint64 done, qint64 total) {
        if (!dialog_ && timer_.elapsed() >= g_progressDelay.count()) {
            dialog_ = std::make_unique<QProgressDialog>(QString(), QStringLiteral("Cancel"), 0,
                                                        1000, parent_);
            // The text holds a file name: never taken for markup.
            auto* label = new QLabel(dialog_.get());
            label->setTextFormat(Qt::PlainText);
            dialog_->setLabel(label);
            dialog_->setLabelText(text_);
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

void setProgressWindowDelay(std::chrono::milliseconds delay) {
    g_progressDelay = delay;
}

bool shellFileOperation(QWidget* parent, const ShellRequest& r) {
    const QString name = displayText(r.from.fileName());
    Progress progress(parent, QStringLiteral("%1 %2").arg(progressVerbFor(r.operation), name));
    const CopyProgress report = [&progress](qint64 done, qint64 total) {
        return progress(done, total);
    };
    bool ok = false;
    errno = 0;
    switch (r.operation) {
    case ShellOperation::Delete:
        ok = r.allowUndo ? moveToTrash(r.from, report) : plainDelete(r.from);
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
