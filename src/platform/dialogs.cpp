#include "platform/dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>

namespace platform {
namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString buttonText(MessageButton b) {
    switch (b) {
    case MessageButton::Ok:
        return QStringLiteral("OK");
    case MessageButton::Yes:
        return QStringLiteral("&Yes");
    case MessageButton::No:
        return QStringLiteral("&No");
    case MessageButton::Cancel:
        return QStringLiteral("Cancel");
    }
    return {};
}

QMessageBox::ButtonRole buttonRole(MessageButton b) {
    switch (b) {
    case MessageButton::Ok:
        return QMessageBox::AcceptRole;
    case MessageButton::Yes:
        return QMessageBox::YesRole;
    case MessageButton::No:
        return QMessageBox::NoRole;
    case MessageButton::Cancel:
        return QMessageBox::RejectRole;
    }
    return QMessageBox::AcceptRole;
}

// Lets through folders, to walk into, and files the user may run; no name pattern says which
// files are programs here.
class ExecutableFilter final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files)
            return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        return info.isDir() || info.isExecutable();
    }
};

} // namespace

void prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& r) {
    dialog.setWindowTitle(r.title);
    if (!r.directory.isEmpty())
        dialog.setDirectory(r.directory);
    if (!r.fileName.isEmpty())
        dialog.selectFile(r.fileName);
    if (!r.filter.isEmpty())
        dialog.setNameFilter(qtFilter(r.filter));
    if (!r.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(r.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.overwritePrompt);
    if (r.executablesOnly) {
        // Only the toolkit's own dialog takes a filtering model.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setProxyModel(new ExecutableFilter(&dialog));
    }
}

namespace {

class RealDialogs final : public Dialogs {
public:
    MessageButton message(QWidget* parent, const MessageRequest& r) override {
        QMessageBox box(qtIcon(r.icon), r.caption, r.text, QMessageBox::NoButton, parent);
        QList<QPair<QAbstractButton*, MessageButton>> buttons;
        for (MessageButton b : r.buttons) {
            QPushButton* button = box.addButton(buttonText(b), buttonRole(b));
            buttons.append({button, b});
        }
        if (!buttons.isEmpty())
            box.setDefaultButton(static_cast<QPushButton*>(buttons.front().first));
        box.exec();
        for (const auto& [button, b] : buttons)
            if (box.clickedButton() == button)
                return b;
        return r.buttons.contains(MessageButton::No) ? MessageButton::No : MessageButton::Cancel;
    }

    QString openFileName(QWidget* parent, const FileDialogRequest& r) override {
        QFileDialog dialog(parent);
        prepareFileDialog(dialog, r);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().front();
    }

    QString saveFileName(QWidget* parent, const FileDialogRequest& r) override {
        QFileDialog dialog(parent);
        prepareFileDialog(dialog, r);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        for (;;) {
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return {};
            const QString chosen = dialog.selectedFiles().front();
            // A name that does not exist yet is created only when the user agrees.
            if (!r.createPrompt || QFileInfo::exists(chosen))
                return chosen;
            const MessageRequest ask{r.title,
                                     QStringLiteral("%1\nThis file does not exist.\nDo you want "
                                                    "to create it?")
                                         .arg(QFileInfo(chosen).fileName()),
                                     MessageIcon::Question,
                                     {MessageButton::Yes, MessageButton::No}};
            if (message(parent, ask) == MessageButton::Yes)
                return chosen;
        }
    }
};

Dialogs* g_replacement = nullptr;

} // namespace

Dialogs& dialogs() {
    static RealDialogs real;
    return g_replacement ? *g_replacement : real;
}

void setDialogs(Dialogs* replacement) {
    g_replacement = replacement;
}

void showMessage(QWidget* parent, const QString& caption, const QString& text) {
    dialogs().message(parent, {caption, text, MessageIcon::None, {MessageButton::Ok}});
}

bool confirm(QWidget* parent, const QString& text) {
    const MessageRequest r{QStringLiteral("Confirm"),
                           text,
                           MessageIcon::Question,
                           {MessageButton::Yes, MessageButton::No}};
    return dialogs().message(parent, r) == MessageButton::Yes;
}

NativePath chosenPath(const QString& chosen, const NativePath& folder,
                      const QByteArray& proposedName) {
    if (chosen.isEmpty())
        return {};
    const qsizetype slash = chosen.lastIndexOf(u'/');
    if (slash < 0)
        return NativePath::fromText(chosen);
    const QString chosenFolder = slash == 0 ? QStringLiteral("/") : chosen.left(slash);
    const QString chosenName = chosen.mid(slash + 1);
    QByteArray folderBytes = folder.bytes();
    while (folderBytes.size() > 1 && folderBytes.endsWith('/'))
        folderBytes.chop(1);
    const NativePath dir = !folderBytes.isEmpty() && displayText(folderBytes) == chosenFolder
                               ? NativePath(folderBytes)
                               : NativePath::fromText(chosenFolder);
    return dir.child(!proposedName.isEmpty() && displayText(proposedName) == chosenName
                         ? proposedName
                         : QFile::encodeName(chosenName));
}

QString qtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace platform
