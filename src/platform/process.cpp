#include "platform/process.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {
namespace {

// Starts the program as a grandchild, so that it is no child of ours to wait for, and learns
// through a pipe closed on exec whether the exec worked. Everything the children need is made
// before forking: after fork only system calls run.
class RealStarter final : public ProcessStarter {
public:
    bool startDetached(const QByteArray& program, const QList<QByteArray>& arguments) override {
        if (program.isEmpty())
            return false;
        const QByteArray path =
            program.contains('/')
                ? program
                : QFile::encodeName(QStandardPaths::findExecutable(QFile::decodeName(program)));
        if (path.isEmpty())
            return false;
        QList<QByteArray> words{program};
        words += arguments;
        std::vector<char*> argv;
        for (QByteArray& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);

        int report[2];
        if (::pipe2(report, O_CLOEXEC) != 0)
            return false;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(report[0]);
            ::setsid();
            const pid_t grandchild = ::fork();
            if (grandchild == 0) {
                const int null = ::open("/dev/null", O_RDONLY);
                if (null >= 0)
                    ::dup2(null, 0);
                ::execve(path.constData(), argv.data(), environ);
                const int err = errno;
                [[maybe_unused]] const ssize_t n = ::write(report[1], &err, sizeof err);
                ::_exit(127);
            }
            if (grandchild < 0) {
                const int err = errno;
                [[maybe_unused]] const ssize_t n = ::write(report[1], &err, sizeof err);
            }
            ::_exit(0);
        }
        ::close(report[1]);
        bool started = false;
        if (child > 0) {
            int status = 0;
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            int err = 0;
            ssize_t n = 0;
            while ((n = ::read(report[0], &err, sizeof err)) < 0 && errno == EINTR) {
            }
            started = n == 0; // the pipe closed on a successful exec
        }
        ::close(report[0]);
        return started;
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
