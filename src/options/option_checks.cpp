#include "options/option_checks.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace options {

QStringList optionCheckMessages(const OptionTexts& t) {
    QStringList messages;
    if (!t.command1.isEmpty() && t.description1.isEmpty())
        messages << QStringLiteral("Must Enter Description for command line on Open with Item 1.");
    if (!t.command2.isEmpty() && t.description2.isEmpty())
        messages << QStringLiteral("Must Enter Description for command line on Open with Item 2.");
    if (!t.description1.isEmpty() && t.command1.isEmpty())
        messages << QStringLiteral("Must Enter Command Line on Open with Item 1.");
    if (!t.description2.isEmpty() && t.command2.isEmpty())
        messages << QStringLiteral("Must Enter Command Line on Open with Item 2.");
    if (t.protect && t.password.isEmpty())
        messages << QStringLiteral("Must Enter Password or uncheck Password Protection");
    // The password fields are verified whenever they hold text, protection on or off.
    if (t.retyped.isEmpty() && !t.password.isEmpty())
        messages << QStringLiteral("Must Enter Verification Password");
    if (t.password != t.retyped)
        messages << QStringLiteral("Verification Password and Password do not match.");
    return messages;
}

bool startupDirNeedsWarning(const QString& text) {
    if (text == u" ")
        return false;
    if (text.isEmpty())
        return true;
    const QByteArray native = QFile::encodeName(text);
    struct stat st {};
    return ::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
           ::access(native.constData(), X_OK) != 0;
}

QString programChooserFolder(const QString& command) {
    const QString fallback = QStringLiteral("/usr/bin");
    const QStringList words = QProcess::splitCommand(command);
    if (words.isEmpty() || words.front().isEmpty())
        return fallback;
    QString program = words.front();
    if (!program.contains(u'/'))
        program = QStandardPaths::findExecutable(program);
    if (program.isEmpty())
        return fallback;
    const QFileInfo folder(QFileInfo(program).absolutePath());
    return folder.isDir() ? folder.absoluteFilePath() : fallback;
}

} // namespace options
