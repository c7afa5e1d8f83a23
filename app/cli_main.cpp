// talvor-cli: the whole analysis of one netlist without windows; the log goes to standard output.
#include <cstdio>
#include <memory>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/diagnosis/diagnosis.h"
#include "analysis/run_analysis.h"
#include "app/cli_options.h"
#include "app/sweep_units.h"
#include "common/message_log.h"
#include "plot/measure_tables.h"

using namespace talvor;

namespace {

// The host of a run without windows, with the settings of the command line; it notes whether
// the netlist was read.
class CliHost : public HeadlessHost {
public:
    explicit CliHost(const AnalysisSettings& commandSettings) { settings = commandSettings; }
    // Called after every run whose netlist was read.
    void HandOverTablePath(const std::string&) override { netlistRead = true; }

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
    RunAnalysis(*analysis, command.netlistPath);

    // The driver logs "Análise terminada com sucesso." exactly when the netlist was read and no
    // phase failed.
    bool succeeded = host.netlistRead && !analysis->circuit.RunFailed;
    if (succeeded && !command.measureNames.empty())
        succeeded = MeasureUnknowns(command, analysis->circuit.tablePath, log);
    if (std::fflush(stdout) != 0)
        return RunFailed;
    return succeeded ? Success : RunFailed;
}
