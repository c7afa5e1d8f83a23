// The command line of talvor-cli: one option per setting of the "Parâmetros" dialog.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analysis_settings.h"
#include "steps/step_request.h"

namespace talvor {

struct CliCommand {
    AnalysisSettings settings; // the dialog's defaults, changed by the options
    std::string netlistPath;
    std::vector<std::string> measureNames; // unknowns whose response is measured after the run
    bool showHelp = false;
    bool checkOnly = false; // --check: look for causes of a singular system, solve nothing
    // --step, or --monte-carlo with its --tolerance, --distribution and --seed.
    StepRequest steps;
    int stepOptions = 0;
    bool toleranceGiven = false;
    bool distributionGiven = false;
    bool seedGiven = false;

    bool IsStepped() const { return stepOptions > 0 || steps.IsMonteCarlo(); }
};

// Fills command from the arguments after the program name; false (with the reason written to
// errors) for an unknown option, a malformed value, options that do not go together, or a
// missing or extra netlist name.
bool ParseCliCommandLine(int argc, char** argv, CliCommand& command, std::FILE* errors);

// The usage line and every option with its meaning.
void PrintCliUsage(std::FILE* out);

} // namespace talvor
