// talvor-cli: the whole analysis of one netlist without windows; the log goes to standard output.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <random>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/diagnosis/diagnosis.h"
#include "analysis/run_analysis.h"
#include "app/cli_options.h"
#include "app/sweep_units.h"
#include "common/message_log.h"
#include "plot/measure_tables.h"
#include "steps/stepped_analysis.h"

using namespace talvor;

namespace {

// SIGINT and SIGTERM stop the run as "Parar análise" does: the operating point and the sweep
// end at their next look at the StopRequest, the rows written stay in the table, and the
// program ends with its log complete. A second signal ends it at once.
std::atomic<std::atomic<int>*> runStopRequest = nullptr; // while the run lasts
volatile std::sig_atomic_t stopSignalled = 0;
static_assert(std::atomic<int>::is_always_lock_free &&
                  std::atomic<std::atomic<int>*>::is_always_lock_free,
              "the signal handler uses them");

void RequestRunStop()
{
    if (std::atomic<int>* stopRequest = runStopRequest.load())
        stopRequest->store(1, std::memory_order_relaxed);
}

extern "C" void StopOnSignal(int)
{
    stopSignalled = 1;
    RequestRunStop();
}

void StopOnSignals(std::atomic<int>& stopRequest)
{
    runStopRequest = &stopRequest;
    struct sigaction action = {};
    action.sa_handler = StopOnSignal;
    action.sa_flags = SA_RESETHAND; // the next signal has its default effect
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The host of a run without windows, with the settings of the command line; it notes whether
// the netlist was read.
class CliHost : public HeadlessHost {
public:
    explicit CliHost(const AnalysisSettings& commandSettings) { settings = commandSettings; }
    // Called after every run whose netlist was read.
    void HandOverTablePath(const std::string&) override { netlistRead = true; }
    // The operating point clears the StopRequest when it starts: a signal that came before
    // still counts.
    void SetStopEnabled(bool enabled) override
    {
        if (enabled && stopSignalled)
            RequestRunStop();
    }

    bool netlistRead = false;
};

enum ExitStatus { Success = 0, RunFailed = 1, WrongCommandLine = 2 };

// A block for every named unknown of the table just written. False when a name is not one of
// the circuit's unknowns.
bool MeasureUnknowns(const CliCommand& command, const std::string& tablePath, MessageLog& log)
{
    auto scratch = std::make_unique<MeasureScratch>();
    bool allFound = true;
    for (const std::string& name : command.measureNames)
        allFound = MeasureTableUnknown(tablePath.c_str(), name.c_str(),
                                       SweepTableUnits(command.settings), *scratch, log) &&
                   allFound;
    return allFound;
}

// A signal stops the runs under way and keeps the others from starting.
class SignalStop : public StepObserver {
public:
    bool StopRequested() override { return stopSignalled != 0; }
};

// --step or --monte-carlo: every run, then the files that gather them. Without a seed the draws
// start from a new one, which the log states so that the analysis can be repeated.
bool RunStepped(CliCommand& command, MessageLog& log)
{
    if (command.steps.IsMonteCarlo() && !command.seedGiven)
        command.steps.seed = std::random_device{}();
    const StepJob job{command.netlistPath, command.settings, SweepTableUnits(command.settings),
                      command.measureNames};
    SignalStop observer;
    return RunSteppedAnalysis(command.steps, job, log, observer).allSucceeded;
}

} // namespace

int main(int argc, char** argv)
{
    CliCommand command;
    if (!ParseCliCommandLine(argc, argv, command, stderr)) {
        PrintCliUsage(stderr);
        return WrongCommandLine;
    }
    if (command.showHelp) {
        PrintCliUsage(stdout);
        return Success;
    }

    StdoutSink sink(stdout);
    MessageLog log(sink);
    CliHost host(command.settings);
    auto analysis = std::make_unique<Analysis>(log, host);
    if (command.checkOnly) {
        const int causes = CheckNetlist(*analysis, command.netlistPath);
        if (std::fflush(stdout) != 0)
            return RunFailed;
        return causes == 0 ? Success : RunFailed;
    }
    StopOnSignals(analysis->circuit.StopRequest);
    if (command.IsStepped()) {
        const bool succeeded = RunStepped(command, log);
        if (std::fflush(stdout) != 0)
            return RunFailed;
        return succeeded ? Success : RunFailed;
    }
    RunAnalysis(*analysis, command.netlistPath);
    runStopRequest = nullptr;

    // The driver logs "Análise terminada com sucesso." exactly when the netlist was read and no
    // phase failed.
    bool succeeded = host.netlistRead && !analysis->circuit.RunFailed;
    if (succeeded && !command.measureNames.empty())
        succeeded = MeasureUnknowns(command, analysis->circuit.tablePath, log);
    if (std::fflush(stdout) != 0)
        return RunFailed;
    return succeeded ? Success : RunFailed;
}
