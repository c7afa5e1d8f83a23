// The runs of a plan, side by side: each is a whole analysis (reading, operating point, sweep)
// with its own state, table and log buffer; the calling thread hands the logs on in run order.
#pragma once

#include <string>
#include <vector>

#include "analysis/analysis_settings.h"
#include "plot/response_measures.h"
#include "steps/step_plan.h"

namespace talvor {

class MessageLog;

// What every run of a plan shares.
struct StepJob {
    std::string netlistPath;
    AnalysisSettings settings;
    ResponseUnits units;                   // of the tables, as the settings write them
    std::vector<std::string> measureNames; // unknowns measured after each successful run
};

// What one run left.
struct StepRun {
    bool started = false;   // false: a stop came before its turn
    bool succeeded = false; // "Análise terminada com sucesso.", and every name measured
    bool stopped = false;   // failed once a stop was requested
    std::string tablePath;
    std::vector<ResponseMeasures> measures; // per measure name
    std::vector<char> measured;             // whether measures[k] holds a block's numbers
};

// The calling thread's part while the runs go on.
class StepObserver {
public:
    virtual ~StepObserver() = default;
    // Called about every WaitSliceMs while the next run in order is still going on: the desktop
    // program lets its window events through.
    virtual void Wait() {}
    // Asked before each run's turn and after each Wait: true stops the runs under way (at their
    // operating point's or sweep's next look at the stop request) and keeps the runs not yet
    // started from starting.
    virtual bool StopRequested() { return false; }
    // After the lines of run (from 0) have reached the log.
    virtual void RunLogged(int run, const StepRun& result) { (void)run, (void)result; }

    static constexpr int WaitSliceMs = 50;
};

// How the thread limit of the sweep (SweepThreadCount) is shared: as many runs at once as it
// allows, at most one per run, and each run's sweep the threads left over, at least one.
struct StepThreads {
    int runsAtOnce = 1;
    int perSweep = 1;
};
StepThreads ShareThreads(int limit, int runCount);

// "circ_3.tab" for netlist "circ.net": a file beside the run's table, named after it with
// suffix in place of ".tab".
std::string SteppedFilePath(const std::string& netlistPath, const std::string& suffix);

// Runs every run of the plan, the tables named circ_1.tab, circ_2.tab, ... Each run's lines
// reach log in run order after a line that names it ("Passo 2 de 3: R1 = 2200"), followed by
// the measurement blocks of job.measureNames and, when it failed, a line that says so.
std::vector<StepRun> RunSteps(const StepPlan& plan, const StepJob& job, MessageLog& log,
                              StepObserver& observer);

} // namespace talvor
