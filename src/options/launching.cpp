#include "options/launching.h"

#include "platform/dialogs.h"
#include "platform/process.h"

#include <QFile>
#include <QStringList>

namespace options {
namespace {

// Starts the program of the command line; words the user typed are text, file and folder names
// go as their exact bytes.
bool start(const QStringList& words, const QList<QByteArray>& names = {}) {
    if (words.isEmpty())
        return false;
    QList<QByteArray> arguments;
    for (const QString& word : words.mid(1))
        arguments << QFile::encodeName(word);
    return platform::processStarter().startDetached(QFile::encodeName(words.front()),
                                                    arguments + names);
}

} // namespace

void exploreFromHere(QWidget* parent, bool useExplorer, const platform::NativePath& currentDir) {
    QStringList commandLine;
    QList<QByteArray> folder;
    if (useExplorer) {
        const QString opener = platform::findProgram({QStringLiteral("xdg-open")});
        commandLine = {opener.isEmpty() ? QStringLiteral("xdg-open") : opener};
        folder = {currentDir.bytes()};
    } else {
        QStringList names;
        for (const char* name : kFileManagers)
            names << QString::fromLatin1(name);
        const QString manager = platform::findProgram(names);
        if (!manager.isEmpty())
            commandLine = {manager};
    }
    if (!start(commandLine, folder))
        platform::showMessage(parent, platform::kErrorCaption, kExploreFailed);
}

void openWith(QWidget* parent, const QString& command, const platform::NativePath& currentFile) {
    if (currentFile.isEmpty()) {
        platform::showMessage(parent, platform::kMessageCaption, kOpenWithNoFile);
        return;
    }
    const QStringList commandLine = platform::splitCommandLine(command);
    if (commandLine.isEmpty() || !start(commandLine, {currentFile.bytes()}))
        platform::showMessage(parent, platform::kErrorCaption, kOpenWithFailed);
}

OpenWithItemState openWithItemState(const QString& description, const QString& command,
                                    const platform::NativePath& currentFile) {
    if (command.isEmpty() || currentFile.isEmpty())
        return {QStringLiteral("Open with..."), false};
    return {QStringLiteral("Open with ") + description, true};
}

} // namespace options
