// What the diagnosis costs. A successful run through RunAnalysis (which records no failure and
// calls the diagnosis, which finds nothing to do) against the same phases called without the
// driver, alternating, on a linear ladder and a chain of bipolar stages; and the diagnosis of
// failed runs against the failed runs themselves.
// Usage: diagnosis_bench [RUNS]   (default 15 runs of each; the median is reported)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/analysis_settings.h"
#include "analysis/operating_point.h"
#include "analysis/run_analysis.h"
#include "analysis/sweep.h"
#include "bench/bench_support.h"
#include "common/message_log.h"
#include "netlist/netlist_reader.h"

using namespace talvor;

namespace {

// RC sections from node 1 (48 sections: 49 nodes and a source current, 50 unknowns), with extra
// element lines before the sweep.
std::string Ladder(int sections, const std::string& extra = "")
{
    std::string text = "Escada RC\nV1 1 0 1\n";
    for (int k = 1; k <= sections; ++k)
        text += "R" + std::to_string(k) + " " + std::to_string(k) + " " + std::to_string(k + 1) +
                " 1000\nC" + std::to_string(k) + " " + std::to_string(k + 1) + " 0 1e-9\n";
    return text + extra + ".AC DEC 200 1 1000000000\n";
}

// Common-emitter stages in cascade, each biased by a divider: Newton-Raphson iterates.
std::string BipolarChain()
{
    std::string text = "Estagios bipolares\nVCC 1 0 0 0 12\nVIN 2 0 0.001\n";
    int previous = 2, node = 2;
    for (int s = 1; s <= 8; ++s) {
        const int x = node + 1, b = node + 2, c = node + 3, e = node + 4, e2 = node + 5;
        node = e2;
        const std::string n = std::to_string(s);
        auto nodeName = [](int k) { return std::to_string(k); };
        text += "CC" + n + " " + nodeName(previous) + " " + nodeName(x) + " 1e-6\n";
        text += "RS" + n + " " + nodeName(x) + " " + nodeName(b) + " 1000\n";
        text += "RA" + n + " 1 " + nodeName(b) + " 100000\n";
        text += "RB" + n + " " + nodeName(b) + " 0 20000\n";
        text += "RC" + n + " 1 " + nodeName(c) + " 4700\n";
        text += "RE" + n + " " + nodeName(e) + " " + nodeName(e2) + " 100\n";
        text += "RF" + n + " " + nodeName(e2) + " 0 1000\n";
        text += "CE" + n + " " + nodeName(e2) + " 0 1e-4\n";
        text += "Q" + n + " " + nodeName(c) + " " + nodeName(b) + " " + nodeName(e) + " N\n";
        previous = c;
    }
    return text + ".AC DEC 200 1 1000000\n";
}

// The driver's phases without its diagnosis hook: what a run cost before the diagnosis.
void PhasesOnly(Analysis& analysis, const std::string& path)
{
    Circuit& circuit = analysis.circuit;
    circuit.RunFailed = false;
    circuit.hasNonlinear = false;
    analysis.log.AppendLog("%s", "");
    if (!ReadNetlist(circuit, analysis.log, path, false))
        return;
    analysis.log.AppendLog("Calculando...");
    FindOperatingPoint(analysis);
    if (!circuit.RunFailed)
        RunSweep(analysis);
}

struct Bench {
    NullSink sink;
    MessageLog log{sink};
    HeadlessHost host;
    std::unique_ptr<Analysis> analysis = std::make_unique<Analysis>(log, host);
};

template <class Body>
double TimeOnce(Body body)
{
    const double start = CpuMs();
    body();
    return CpuMs() - start;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    setenv("TALVOR_THREADS", "1", 1); // one thread: the processor time of one run, undisturbed
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("diagnosis_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return (dir / name).string();
    };

    std::printf("Processor time, median of %d runs of each, alternating\n\n", runs);
    std::printf("%-44s %12s %12s %7s\n", "successful run", "RunAnalysis", "phases only", "ratio");
    Bench bench;
    int index = 0;
    for (const auto& [name, text] :
         {std::pair<std::string, std::string>{"RC ladder, 50 unknowns, 1792 points", Ladder(48)},
          {"8 bipolar stages, 1195 points", BipolarChain()}}) {
        const std::string path = write("run" + std::to_string(index++) + ".net", text);
        std::vector<double> withHook, without;
        for (int k = 0; k < runs; ++k) {
            withHook.push_back(TimeOnce([&] { RunAnalysis(*bench.analysis, path); }));
            without.push_back(TimeOnce([&] { PhasesOnly(*bench.analysis, path); }));
        }
        if (bench.analysis->circuit.RunFailed)
            std::printf("%s failed\n", name.c_str());
        std::printf("%-44s %9.2f ms %9.2f ms %7.3f\n", name.c_str(), Median(withHook),
                    Median(without), Median(withHook) / Median(without));
    }

    std::printf("\n%-44s %12s %12s %7s\n", "failed run", "with diag.", "phases only", "ratio");
    const std::pair<std::string, std::string> failures[] = {
        {"no convergence (piecewise-linear resistor)",
         "N sem solucao\nI1 0 1 DC 1\nN1 1 0 -1 3 0 2 1 2.5 2 3.5\n.AC DEC 3 10 1000\n"},
        {"two floating nodes beside a ladder (DC)", Ladder(45, "R99 a b 1000\n")},
        {"a sweep failing at f = 0, its 1001st point", "Capacitores\nV1 1 0 1\nC1 1 2 1e-6\n"
                                                       "C2 2 0 1e-6\n.AC LIN 2001 -1000 1000\n"},
        {"balanced bridge (values)", "Ponte\nI1 0 3 DC 1e-3\nR1 1 2 1000\nR2 2 0 1000\n"
                                     "R3 1 3 1000\nR4 3 0 1000\nO1 1 0 2 3\nR5 1 0 1000\n"
                                     ".AC DEC 3 10 1000\n"},
    };
    for (const auto& [what, text] : failures) {
        const std::string path = write("run" + std::to_string(index++) + ".net", text);
        std::vector<double> withDiagnosis, without;
        for (int k = 0; k < runs; ++k) {
            withDiagnosis.push_back(TimeOnce([&] { RunAnalysis(*bench.analysis, path); }));
            without.push_back(TimeOnce([&] { PhasesOnly(*bench.analysis, path); }));
        }
        std::printf("%-44s %9.2f ms %9.2f ms %7.3f\n", what.c_str(), Median(withDiagnosis),
                    Median(without), Median(withDiagnosis) / Median(without));
    }
    std::filesystem::remove_all(dir);
    return 0;
}
