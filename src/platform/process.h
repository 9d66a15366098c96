// Starting outside programs: detached, never through a shell, with Glimra's environment and
// working directory. Arguments are bytes, so a file or folder name that is not valid UTF-8
// reaches the program exactly. Tests install a recorder instead of starting anything.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts program (a path, or a name looked up on PATH) with these arguments and returns at
    // once; false when it could not start.
    virtual bool startDetached(const QByteArray& program, const QList<QByteArray>& arguments) = 0;
};

// The starter in use: the real one unless a test installed its own.
ProcessStarter& processStarter();
// Installs a replacement (not owned); nullptr restores the real one.
void setProcessStarter(ProcessStarter* replacement);

// Splits a command text into program and arguments by double-quote rules: blanks separate,
// double quotes group, a tripled quote stands for one quote character.
QStringList splitCommandLine(const QString& command);

// The full path of the first program of these names found on PATH, or empty.
QString findProgram(const QStringList& names);

} // namespace platform
