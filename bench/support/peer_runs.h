// What the benchmarks that race peer tools share: starting a tool quietly and counting its
// processor time, registering a timed benchmark that counts this process's and its tools'
// processor time, and a reporter that keeps each result for the ratio tables.
#pragma once

#include <benchmark/benchmark.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

// Processor time (user and system) used by this process so far, in milliseconds.
double selfCpuMs();
// Processor time of the tools runQuiet has waited for so far, in milliseconds.
double childCpuMs();
// Processor time of this process's other children so far (the decoder helpers, running or
// ended), in milliseconds.
double helperCpuMs();

// Runs a program, its output thrown away; returns the child's peak memory in KiB, or -1 when
// it could not start or failed.
long runQuiet(const std::vector<std::string>& argv);

// A peer tool's peak memory in MiB, from GNU time (which starts it from a small process of its
// own, so this program's size does not leak into the figure).
double peakOfToolMiB(const std::vector<std::string>& argv);

// Registers a benchmark timed in milliseconds over at least a second, which also counts the
// processor time of this process, of the tools it started and of the decoder helpers
// ("cpu_ms", per iteration): on a busy machine that compares the work done better than the
// wall clock.
void addTimed(const std::string& name, std::function<void(benchmark::State&)> body);

// Keeps each benchmark's time per iteration (and its cpu_ms) by name.
class Recorder : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ms;
    std::map<std::string, double> cpu;
    void ReportRuns(const std::vector<Run>& runs) override;
};

// The first recorded value whose name starts with prefix; NaN when there is none.
double valueOf(const std::map<std::string, double>& values, const std::string& prefix);

} // namespace bench
