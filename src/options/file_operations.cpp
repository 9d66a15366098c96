#include "options/file_operations.h"

#include "platform/plain_file_ops.h"
#include "platform/shell_file_ops.h"

namespace options {
namespace {

using platform::NativePath;

// The extension from the last dot of the name, dot included; empty without one.
QString extensionOf(const NativePath& path) {
    const QString name = platform::displayText(path.fileName());
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

struct CommandTexts {
    const char* refusal;
    const char* question; // %1 source, %2 target
    const char* plainFailure;
};

CommandTexts textsFor(FileCommand command) {
    switch (command) {
    case FileCommand::Copy:
        return {"File Copying Not Allowed.", "Copy File: %1 to %2?", "Unable to Copy File"};
    case FileCommand::Move:
        return {"File Moving Not Allowed.", "Move File: %1 to %2?", "Unable to Move File"};
    case FileCommand::Delete:
        break;
    }
    return {"File Deletion Not Allowed.", "Delete File: %1?", "Unable to Delete File"};
}

} // namespace

platform::FileDialogRequest fileOperationDialog(const NativePath& source,
                                                const NativePath& currentFile) {
    const QString ext = extensionOf(source);
    platform::FileDialogRequest r;
    r.title = QStringLiteral("Glimra File Operation");
    r.proposedName = source.fileName();
    r.fileName = platform::displayText(r.proposedName);
    r.folder = source.absolute().directory();
    const QString folder = r.folder.display();
    r.directory = folder.endsWith(u'/') ? folder : folder + u'/';
    r.filter = u'*' + ext + u'|' + u'*' + ext;
    r.defaultSuffix = extensionOf(currentFile).mid(1).left(4);
    r.overwritePrompt = true;
    r.createPrompt = true;
    r.pathMustExist = true;
    r.fileMustExist = true;
    r.hideReadOnly = true;
    return r;
}

bool runFileCommand(QWidget* parent, FileCommand command, const NativePath& source,
                    const NativePath& currentFile, const FileRules& rules) {
    if (source.isEmpty())
        return false;
    const CommandTexts texts = textsFor(command);
    if (!rules.allow) {
        platform::showMessage(parent, platform::kMessageCaption,
                              QString::fromLatin1(texts.refusal));
        return false;
    }

    NativePath target;
    if (command != FileCommand::Delete) {
        // The dialog works in text; the source's own folder and name come back as their bytes.
        const platform::FileDialogRequest r = fileOperationDialog(source, currentFile);
        target = platform::chosenPath(platform::dialogs().saveFileName(parent, r), r);
        if (target.isEmpty())
            return false;
        // Copying or moving a file onto itself would truncate or delete it.
        if (platform::sameFile(source, target)) {
            platform::showMessage(parent, platform::kMessageCaption,
                                  QStringLiteral("Source and destination are the same file."));
            return false;
        }
    }

    if (rules.prompt) {
        const QString question =
            command == FileCommand::Delete
                ? QString::fromLatin1(texts.question).arg(source.display())
                : QString::fromLatin1(texts.question).arg(source.display(), target.display());
        if (!platform::confirm(parent, question))
            return false;
    }

    if (rules.useShell) {
        const platform::ShellOperation op =
            command == FileCommand::Delete ? platform::ShellOperation::Delete
            : command == FileCommand::Copy ? platform::ShellOperation::Copy
                                           : platform::ShellOperation::Move;
        platform::shellFileOperation(parent, {op, source, target, rules.sendRecycle});
        return true;
    }

    bool ok = false;
    switch (command) {
    case FileCommand::Delete:
        ok = platform::plainDelete(source);
        break;
    case FileCommand::Copy:
        ok = platform::plainCopy(source, target);
        break;
    case FileCommand::Move:
        ok = platform::plainMove(source, target);
        break;
    }
    if (!ok)
        platform::showMessage(parent, platform::kMessageCaption,
                              QString::fromLatin1(texts.plainFailure));
    return true;
}

} // namespace options
