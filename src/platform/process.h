// Starting outside programs: detached, never through a shell, with Glimra's environment and
// working directory. Tests install a recorder instead of starting anything.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts program with these arguments and returns at once; false when it could not start.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;
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
