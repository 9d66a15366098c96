#include "platform/dialogs.h"

#include "platform/activation.h"
#include "platform/window_caption.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QVariant>
#include <sys/stat.h>

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

const char* const kButtonProperty = "glimraMessageButton";

// A file dialog opens large enough to show a folder's names, sizes, kinds and dates side by
// side, within most of the screen.
constexpr QSize kFileDialogSize(820, 520);

void sizeFileDialog(QFileDialog& dialog) {
    QSize size = kFileDialogSize;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
    // The toolkit's own dialog lists a folder in columns; the size column starts as wide as the
    // widest size it shows, so no size is cut short.
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        const QFontMetrics metrics(view->font());
        view->header()->resizeSection(1, metrics.horizontalAdvance(QStringLiteral("1023.9 KiB")) +
                                             3 * metrics.averageCharWidth());
    }
}

} // namespace

ChosenFileCheck checkChosenFile(const FileDialogRequest& r, const QString& chosen) {
    const NativePath path = chosenPath(chosen, r).absolute();
    const NativePath folder = path.directory();
    const QString title = r.title.isEmpty() ? QStringLiteral("Open") : r.title;
    struct stat st {};
    const bool folderExists = ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if ((r.pathMustExist || r.fileMustExist) && !folderExists)
        return {ChosenFileCheck::Refuse,
                {title,
                 QStringLiteral("%1\nPath does not exist.\nCheck the path and try again.")
                     .arg(folder.display()),
                 MessageIcon::Warning,
                 {MessageButton::Ok}}};
    if (::lstat(path.c_str(), &st) == 0)
        return {};
    const QString name = displayText(path.fileName());
    if (r.createPrompt)
        return {
            ChosenFileCheck::AskToCreate,
            {title,
             QStringLiteral("%1\nThis file does not exist.\nDo you want to create it?").arg(name),
             MessageIcon::Question,
             {MessageButton::Yes, MessageButton::No}}};
    if (r.fileMustExist)
        return {
            ChosenFileCheck::Refuse,
            {title,
             QStringLiteral("%1\nFile not found.\nCheck the file name and try again.").arg(name),
             MessageIcon::Warning,
             {MessageButton::Ok}}};
    return {};
}

MessageIcon iconForCaption(const QString& caption) {
    return caption == kErrorCaption ? MessageIcon::Error : MessageIcon::Information;
}

std::unique_ptr<QMessageBox> makeMessageBox(QWidget* parent, const MessageRequest& r) {
    auto box = std::make_unique<QMessageBox>(qtIcon(r.icon), r.caption, r.text,
                                             QMessageBox::NoButton, parent);
    box->setTextFormat(Qt::PlainText);
    QPushButton* first = nullptr;
    for (MessageButton b : r.buttons) {
        QPushButton* button = box->addButton(buttonText(b), buttonRole(b));
        button->setProperty(kButtonProperty, int(b));
        if (!first)
            first = button;
    }
    if (first)
        box->setDefaultButton(first);
    // The box takes its width from its contents; its row of buttons may grow, so it is made
    // wide enough for the window manager to show the whole caption.
    if (auto* buttons = box->findChild<QDialogButtonBox*>()) {
        int margins = 0;
        if (const QLayout* layout = box->layout())
            margins = layout->contentsMargins().left() + layout->contentsMargins().right();
        buttons->setMinimumWidth(captionedWindowWidth(r.caption) - margins);
    }
    return box;
}

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
    sizeFileDialog(dialog);
}

namespace {

class RealDialogs final : public Dialogs {
public:
    MessageButton message(QWidget* parent, const MessageRequest& r) override {
        const std::unique_ptr<QMessageBox> box = makeMessageBox(parent, r);
        box->exec();
        if (const QAbstractButton* clicked = box->clickedButton()) {
            const QVariant chosen = clicked->property(kButtonProperty);
            if (chosen.isValid())
                return MessageButton(chosen.toInt());
        }
        return r.buttons.contains(MessageButton::No) ? MessageButton::No : MessageButton::Cancel;
    }

    QString openFileName(QWidget* parent, const FileDialogRequest& r) override {
        const OwnDialogScope own;
        QFileDialog dialog(parent);
        prepareFileDialog(dialog, r);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return run(parent, dialog, r);
    }

    QString saveFileName(QWidget* parent, const FileDialogRequest& r) override {
        const OwnDialogScope own;
        QFileDialog dialog(parent);
        prepareFileDialog(dialog, r);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        return run(parent, dialog, r);
    }

private:
    // Runs the dialog until the user cancels or chooses a name the request accepts; a refused
    // name brings the dialog back with its folder and name as they were.
    QString run(QWidget* parent, QFileDialog& dialog, const FileDialogRequest& r) {
        for (;;) {
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return {};
            const QString chosen = dialog.selectedFiles().front();
            const ChosenFileCheck check = checkChosenFile(r, chosen);
            if (check.verdict == ChosenFileCheck::Accept)
                return chosen;
            const MessageButton answer = message(parent, check.message);
            if (check.verdict == ChosenFileCheck::AskToCreate && answer == MessageButton::Yes)
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
    dialogs().message(parent, {caption, text, iconForCaption(caption), {MessageButton::Ok}});
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

NativePath chosenPath(const QString& chosen, const FileDialogRequest& r) {
    return chosenPath(chosen, r.folder, r.proposedName);
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
