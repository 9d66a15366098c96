#include "support/peer_runs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <cmath>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

namespace {

double children = 0;

double milliseconds(const timeval& user, const timeval& system) {
    return (user.tv_sec + system.tv_sec) * 1e3 + (user.tv_usec + system.tv_usec) / 1e3;
}

} // namespace

double selfCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return milliseconds(usage.ru_utime, usage.ru_stime);
}

double childCpuMs() {
    return children;
}

double helperCpuMs() {
    // Live children from /proc (the decoder helpers stay running between loads), plus every
    // child already reaped that runQuiet did not count (helpers killed and restarted).
    double ms = 0;
    const long ticks = sysconf(_SC_CLK_TCK);
    const QByteArray self = QByteArray::number(getpid());
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat("/proc/" + pid + "/stat");
        if (pid.front() < '0' || pid.front() > '9' || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // Fields after the parenthesised command name: state ppid ... utime (14) stime (15).
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 13 && fields[1] == self)
            ms += (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / double(ticks);
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return ms + milliseconds(usage.ru_utime, usage.ru_stime) - children;
}

long runQuiet(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return -1;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    children += milliseconds(usage.ru_utime, usage.ru_stime);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

double peakOfToolMiB(const std::vector<std::string>& argv) {
    QStringList args{"-f", "%M"};
    for (const std::string& a : argv)
        args.append(QString::fromStdString(a));
    QProcess time;
    time.setStandardOutputFile(QProcess::nullDevice());
    time.start("/usr/bin/time", args);
    time.waitForFinished(120000);
    bool ok = false;
    const double kib = time.readAllStandardError().trimmed().split('\n').last().toDouble(&ok);
    return ok ? kib / 1024.0 : std::nan("");
}

void addTimed(const std::string& name, std::function<void(benchmark::State&)> body) {
    benchmark::RegisterBenchmark(name.c_str(),
                                 [body](benchmark::State& s) {
                                     const double self = selfCpuMs(), tools = childCpuMs(),
                                                  helpers = helperCpuMs();
                                     body(s);
                                     s.counters["cpu_ms"] =
                                         benchmark::Counter(selfCpuMs() - self + childCpuMs() -
                                                                tools + helperCpuMs() - helpers,
                                                            benchmark::Counter::kAvgIterations);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(1.0)
        ->UseRealTime();
}

void Recorder::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
        if (!run.error_occurred && run.iterations > 0) {
            ms[run.benchmark_name()] = run.GetAdjustedRealTime(); // every unit is ms
            const auto counter = run.counters.find("cpu_ms");
            if (counter != run.counters.end())
                cpu[run.benchmark_name()] = counter->second.value;
        }
}

double valueOf(const std::map<std::string, double>& values, const std::string& prefix) {
    for (const auto& [key, value] : values)
        if (key.rfind(prefix, 0) == 0)
            return value;
    return std::nan("");
}

} // namespace bench
