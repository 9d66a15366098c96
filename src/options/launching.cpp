#include "options/launching.h"

#include "platform/dialogs.h"
#include "platform/process.h"

#include <QStringList>

namespace options {
namespace {

bool start(const QStringList& commandLine) {
    if (commandLine.isEmpty())
        return false;
    return platform::processStarter().startDetached(commandLine.front(), commandLine.mid(1));
}

} // namespace

void exploreFromHere(QWidget* parent, bool useExplorer, const QString& currentDir) {
    QStringList commandLine;
    if (useExplorer) {
        const QString opener = platform::findProgram({QStringLiteral("xdg-open")});
        commandLine = {opener.isEmpty() ? QStringLiteral("xdg-open") : opener, currentDir};
    } else {
        QStringList names;
        for (const char* name : kFileManagers)
            names << QString::fromLatin1(name);
        const QString manager = platform::findProgram(names);
        if (!manager.isEmpty())
            commandLine = {manager};
    }
    if (!start(commandLine))
        platform::showMessage(parent, platform::kErrorCaption, kExploreFailed);
}

void openWith(QWidget* parent, const QString& command, const QString& currentFile) {
    if (currentFile.isEmpty()) {
        platform::showMessage(parent, platform::kMessageCaption, kOpenWithNoFile);
        return;
    }
    QStringList commandLine = platform::splitCommandLine(command);
    if (commandLine.isEmpty() || !start(commandLine << currentFile))
        platform::showMessage(parent, platform::kErrorCaption, kOpenWithFailed);
}

OpenWithItemState openWithItemState(const QString& description, const QString& command,
                                    const QString& currentFile) {
    if (command.isEmpty() || currentFile.isEmpty())
        return {QStringLiteral("Open with..."), false};
    return {QStringLiteral("Open with ") + description, true};
}

} // namespace options
