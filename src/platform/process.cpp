#include "platform/process.h"

#include <QProcess>
#include <QStandardPaths>

namespace platform {
namespace {

class RealStarter final : public ProcessStarter {
public:
    bool startDetached(const QString& program, const QStringList& arguments) override {
        if (program.isEmpty())
            return false;
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setStandardInputFile(QProcess::nullDevice());
        return process.startDetached();
    }
};

ProcessStarter* g_replacement = nullptr;

} // namespace

ProcessStarter& processStarter() {
    static RealStarter real;
    return g_replacement ? *g_replacement : real;
}

void setProcessStarter(ProcessStarter* replacement) {
    g_replacement = replacement;
}

QStringList splitCommandLine(const QString& command) {
    return QProcess::splitCommand(command);
}

QString findProgram(const QStringList& names) {
    for (const QString& name : names) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

} // namespace platform
