// A stepped or Monte Carlo analysis from start to end, as talvor-cli and the desktop program run
// it: the netlist read once to find the values to vary, every run (in parallel), then the list
// of the runs, the envelope and the summary of the measurements.
#pragma once

#include <string>
#include <vector>

#include "steps/step_plan.h"
#include "steps/step_request.h"
#include "steps/step_runner.h"

namespace talvor {

class MessageLog;

struct SteppedOutcome {
    bool planned = false;      // the netlist was read and every target found in it
    bool allSucceeded = false; // every run succeeded and every file was written
    StepPlan plan;
    std::vector<StepRun> runs;
    std::string listPath;     // circ_passos.txt
    std::string envelopePath; // circ_envelope.tab (Monte Carlo), empty when not written
    std::string summaryPath;  // circ_medidas.tab (with measured unknowns), empty when not written
};

// Runs the request on the job's netlist. The log gets a line that states the runs, each run's
// lines after a line that names it, then the files written and how many runs succeeded:
//   circ_1.tab ... circ_N.tab  each run's table
//   circ_passos.txt            per run: its number, the varied values, "ok" or "falhou", its table
//   circ_envelope.tab          Monte Carlo: the envelope of the successful runs' tables
//   circ_medidas.tab           with job.measureNames: the summary of the measurements
// A netlist that cannot be read logs the reader's lines, as an ordinary run would.
SteppedOutcome RunSteppedAnalysis(const StepRequest& request, const StepJob& job, MessageLog& log,
                                  StepObserver& observer);

} // namespace talvor
