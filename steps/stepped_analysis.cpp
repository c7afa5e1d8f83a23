// The stepped or Monte Carlo analysis: plan, runs, then the files that gather them.
#include "steps/stepped_analysis.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "common/c_text.h"
#include "common/message_log.h"
#include "netlist/netlist_reader.h"
#include "steps/envelope.h"
#include "steps/measure_summary.h"

namespace talvor {

namespace {

// Keeps the lines of the first reading, shown only when the netlist cannot be read.
class KeptLines : public MessageSink {
public:
    void WriteLine(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// Reads the netlist once, quietly, and finds the request's targets in it.
bool Plan(const StepRequest& request, const StepJob& job, MessageLog& log, StepPlan& plan)
{
    KeptLines kept;
    MessageLog readerLog(kept);
    auto circuit = std::make_unique<Circuit>();
    if (!ReadNetlist(*circuit, readerLog, job.netlistPath, job.settings.CBignorar)) {
        for (const std::string& line : kept.lines)
            log.AppendLog("%s", line.c_str());
        return false;
    }
    return PlanSteps(request, *circuit, log, plan);
}

void LogIntroduction(const StepRequest& request, const StepPlan& plan, MessageLog& log)
{
    if (!plan.monteCarlo) {
        log.AppendLog("Passos de %s: %d valores.", DisplayText(plan.varied[0].label).c_str(),
                      plan.RunCount());
        return;
    }
    log.AppendLog("Monte Carlo: %d execuções, distribuição %s, semente %llu.", plan.RunCount(),
                  request.distribution == Distribution::Gauss ? "normal (tolerância = 3 sigma)"
                                                              : "uniforme",
                  static_cast<unsigned long long>(request.seed));
    std::string tolerances;
    for (const VariedValue& varied : plan.varied) {
        char text[64];
        std::snprintf(text, sizeof text, " %g%%", varied.tolerance * 100);
        tolerances.append(tolerances.empty() ? "" : ",").append(" ").append(varied.label);
        tolerances.append(text);
    }
    log.AppendLog("Tolerâncias:%s.", DisplayText(tolerances).c_str());
}

const char* Outcome(const StepRun& run)
{
    return !run.started || run.stopped ? "interrompido" : run.succeeded ? "ok" : "falhou";
}

// circ_passos.txt: a header line, then per run its number, its values, its outcome and its
// table's file name (the table lies beside the list; "-" when the run wrote none).
bool WriteRunList(const SteppedOutcome& outcome, const std::string& path, MessageLog& log)
{
    const StepPlan& plan = outcome.plan;
    std::FILE* out = std::fopen(path.c_str(), "w");
    bool written = out != nullptr;
    if (written) {
        std::fputs(plan.monteCarlo ? "execucao" : "passo", out);
        for (const VariedValue& varied : plan.varied)
            std::fprintf(out, " %s", varied.label.c_str());
        std::fputs(" resultado tabela\n", out);
        for (int run = 0; run < plan.RunCount(); ++run) {
            const StepRun& result = outcome.runs[run];
            std::fprintf(out, "%d", run + 1);
            for (double value : plan.values[run])
                std::fprintf(out, " %g", value);
            std::error_code error;
            const bool hasTable = std::filesystem::exists(result.tablePath, error);
            std::fprintf(out, " %s %s\n", Outcome(result),
                         hasTable ? std::filesystem::path(result.tablePath).filename().c_str()
                                  : "-");
        }
        written = std::ferror(out) == 0;
        written = std::fclose(out) == 0 && written;
    }
    if (!written)
        log.AppendLog("Erro ao escrever o arquivo %s.", DisplayText(path).c_str());
    else
        log.AppendLog("Lista %s no arquivo %s.", plan.monteCarlo ? "das execuções" : "dos passos",
                      DisplayText(path).c_str());
    return written;
}

bool WriteMonteCarloEnvelope(SteppedOutcome& outcome, const StepJob& job, MessageLog& log)
{
    std::vector<std::string> tables;
    for (const StepRun& run : outcome.runs)
        if (run.succeeded)
            tables.push_back(run.tablePath);
    const std::string path = SteppedFilePath(job.netlistPath, "_envelope.tab");
    const double halfTurn = job.settings.CBgraus ? 180 : 3.141592653589793;
    if (!WriteEnvelope(tables, path, halfTurn, log))
        return false;
    outcome.envelopePath = path;
    log.AppendLog("Envelope de %d execuções no arquivo %s.", static_cast<int>(tables.size()),
                  DisplayText(path).c_str());
    return true;
}

} // namespace

SteppedOutcome RunSteppedAnalysis(const StepRequest& request, const StepJob& job, MessageLog& log,
                                  StepObserver& observer)
{
    SteppedOutcome outcome;
    log.AppendLog("%s", "");
    if (!Plan(request, job, log, outcome.plan))
        return outcome;
    outcome.planned = true;
    const StepPlan& plan = outcome.plan;
    LogIntroduction(request, plan, log);
    outcome.runs = RunSteps(plan, job, log, observer);

    log.AppendLog("%s", "");
    int succeeded = 0;
    for (const StepRun& run : outcome.runs)
        succeeded += run.succeeded ? 1 : 0;
    bool filesWritten = true;
    outcome.listPath = SteppedFilePath(job.netlistPath, "_passos.txt");
    filesWritten = WriteRunList(outcome, outcome.listPath, log) && filesWritten;
    if (plan.monteCarlo)
        filesWritten = WriteMonteCarloEnvelope(outcome, job, log) && filesWritten;
    if (!job.measureNames.empty()) {
        const std::string path = SteppedFilePath(job.netlistPath, "_medidas.tab");
        if (WriteMeasureSummary(plan, outcome.runs, job.measureNames, path, log))
            outcome.summaryPath = path;
        else
            filesWritten = false;
    }
    log.AppendLog(plan.monteCarlo ? "%d de %d execuções terminadas com sucesso."
                                  : "%d de %d passos terminados com sucesso.",
                  succeeded, plan.RunCount());
    outcome.allSucceeded = succeeded == plan.RunCount() && filesWritten;
    return outcome;
}

} // namespace talvor
