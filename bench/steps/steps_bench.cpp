// What running Monte Carlo runs side by side buys: 100 runs of the bipolar example (every resistor
// within 5%, every capacitor within 10%, with their list and envelope) against 100 ordinary runs
// of it one after another, both within the same thread limit (TALVOR_THREADS, 2 by default: the
// two cores the goal speaks of). Wall-clock and processor time, the two alternating; the medians
// and their ratios (on a busy machine only the processor time says what the runs cost).
// Usage: steps_bench [ROUNDS [RUNS]]   (default 5 rounds of 100 runs). On a machine that other
// work keeps busy, run it as nice -n -20 steps_bench, so that the two cores are the benchmark's.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/run_analysis.h"
#include "bench/bench_support.h"
#include "common/message_log.h"
#include "steps/stepped_analysis.h"

using namespace talvor;

namespace {

// Wall-clock and processor time of one call of body, in milliseconds.
struct Times {
    std::vector<double> wall, cpu;

    template <class Body>
    void Measure(Body body)
    {
        const double cpuStart = CpuMs();
        const auto start = std::chrono::steady_clock::now();
        body();
        wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        cpu.push_back(CpuMs() - cpuStart);
    }
};

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int runs = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, MaxStepRuns) : 100;
    setenv("TALVOR_THREADS", "2", 0); // two unless the caller says otherwise
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("steps_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string netlist = (dir / "bjt.net").string();
    std::filesystem::copy_file(TALVOR_EXAMPLES "/amplificador_bjt.net", netlist);
    const std::filesystem::path table = dir / "bjt.tab";

    NullSink sink;
    MessageLog log(sink);
    StepRequest request;
    request.tolerances = {{{"R", ""}, 0.05}, {{"C", ""}, 0.1}};
    request.runs = runs;
    request.seed = 1;
    const StepJob job{netlist, AnalysisSettings{}, {}, {}};
    HeadlessHost host;

    Times sideBySide, oneAfterAnother;
    bool allSucceeded = true;
    for (int round = 0; round < rounds; ++round) {
        sideBySide.Measure([&] {
            StepObserver observer;
            allSucceeded =
                RunSteppedAnalysis(request, job, log, observer).allSucceeded && allSucceeded;
        });
        oneAfterAnother.Measure([&] {
            for (int run = 0; run < runs; ++run) {
                // As a run of the Monte Carlo does: on ext4 a table truncated and written again
                // is flushed to disk when it is closed, which would weigh more than the analysis.
                std::filesystem::remove(table);
                auto analysis = std::make_unique<Analysis>(log, host);
                RunAnalysis(*analysis, netlist);
                allSucceeded = !analysis->circuit.RunFailed && allSucceeded;
            }
        });
    }
    std::filesystem::remove_all(dir);
    std::printf("TALVOR_THREADS=%s, %d rounds, medians\n\n", std::getenv("TALVOR_THREADS"), rounds);
    std::printf("%-44s %12s %12s\n", "", "wall clock", "processor");
    const std::string count = std::to_string(runs);
    std::printf("%-44s %9.1f ms %9.1f ms\n", (count + " Monte Carlo runs side by side").c_str(),
                Median(sideBySide.wall), Median(sideBySide.cpu));
    std::printf("%-44s %9.1f ms %9.1f ms\n", (count + " ordinary runs one after another").c_str(),
                Median(oneAfterAnother.wall), Median(oneAfterAnother.cpu));
    std::printf("%-44s %12.3f %12.3f\n", "ratio",
                Median(sideBySide.wall) / Median(oneAfterAnother.wall),
                Median(sideBySide.cpu) / Median(oneAfterAnother.cpu));
    if (!allSucceeded)
        std::printf("Some run failed: the figures are not comparable.\n");
    return allSucceeded ? 0 : 1;
}
