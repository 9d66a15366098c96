// Reloading the file list on folders of 10,000 and 100,000 files, half of them matching the
// browser's 27-pattern mask in mixed letter case, side by side with `ls` (sorted, and unsorted
// as the floor of reading the folder) and `find` with the same 27 patterns, in the same run.
// Prints each time and the ratios; the target is a 100,000-file reload no slower than `ls`.
#include "browser/file_masks.h"
#include "filelists/file_list_box.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>

namespace {

// One folder per size, made once for the whole run.
const QString& folderOf(int files) {
    static QTemporaryDir root;
    static std::map<int, QString> made;
    auto found = made.find(files);
    if (found != made.end())
        return found->second;
    const QString dir = root.path() + QStringLiteral("/files%1").arg(files);
    QDir().mkpath(dir);
    const QStringList extensions = browser::kAllTypesMask.split(u';');
    const char* others[] = {"txt", "doc", "dat", "xml", "log", "jpeg", "c"};
    for (int i = 0; i < files; ++i) {
        QString name;
        if (i % 2 == 0) {
            // Matching names: every pattern in turn, the extension in mixed case.
            QString extension = extensions[(i / 2) % extensions.size()].mid(1);
            if (i % 4 == 0)
                extension = extension.toUpper();
            name = QStringLiteral("%1Photo_%2%3").arg(i % 3 ? "img" : "IMG").arg(i).arg(extension);
        } else {
            name = QStringLiteral("note_%1.%2").arg(i).arg(others[(i / 2) % 7]);
        }
        const int fd =
            ::open(QFile::encodeName(dir + u'/' + name).constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    return made.emplace(files, dir).first->second;
}

void runQuietly(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    process.waitForFinished(-1);
}

void FileListReload(benchmark::State& state) {
    const QString& dir = folderOf(int(state.range(0)));
    TRzFileListBox list;
    list.setShowGlyphs(false);
    list.setDirectory(dir);
    list.setMask(browser::kAllTypesMask);
    list.resize(300, 400);
    list.show(); // the window exists: rows are read from now on
    for (auto _ : state)
        list.Reload();
    state.counters["rows"] = list.Count();
}

void LsSorted(benchmark::State& state) {
    const QString& dir = folderOf(int(state.range(0)));
    for (auto _ : state)
        runQuietly(QStringLiteral("ls"), {dir});
}

void LsUnsorted(benchmark::State& state) {
    const QString& dir = folderOf(int(state.range(0)));
    for (auto _ : state)
        runQuietly(QStringLiteral("ls"), {QStringLiteral("-f"), dir});
}

void Find27Patterns(benchmark::State& state) {
    const QString& dir = folderOf(int(state.range(0)));
    QStringList arguments{dir,
                          QStringLiteral("-maxdepth"),
                          QStringLiteral("1"),
                          QStringLiteral("-type"),
                          QStringLiteral("f"),
                          QStringLiteral("(")};
    const QStringList patterns = browser::kAllTypesMask.split(u';');
    for (int i = 0; i < patterns.size(); ++i) {
        if (i > 0)
            arguments << QStringLiteral("-o");
        arguments << QStringLiteral("-iname") << patterns[i];
    }
    arguments << QStringLiteral(")");
    for (auto _ : state)
        runQuietly(QStringLiteral("find"), arguments);
}

// Keeps every run's real time by name, for the ratios after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration ||
                (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median"))
                seconds[run.run_name.function_name + "/" + run.run_name.args] =
                    run.GetAdjustedRealTime() / 1e3; // milliseconds to seconds
    }
    std::map<std::string, double> seconds;
};

} // namespace

BENCHMARK(FileListReload)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LsSorted)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LsUnsorted)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Find27Patterns)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nFile list reload against the peers (ratio < 1: the file list is faster)\n");
    for (const char* size : {"10000", "100000"}) {
        const double list = reporter.seconds["FileListReload/" + std::string(size)];
        if (list <= 0)
            continue;
        std::printf("%7s files: reload %.1f ms", size, list * 1e3);
        for (const char* peer : {"LsSorted", "LsUnsorted", "Find27Patterns"}) {
            const double other = reporter.seconds[std::string(peer) + "/" + size];
            if (other > 0)
                std::printf(" | %s %.1f ms, ratio %.2f", peer, other * 1e3, list / other);
        }
        std::printf("\n");
    }
    benchmark::Shutdown();
    return 0;
}
