// The table of the measurements of every run: one row per run, one column per quantity.
#include "steps/measure_summary.h"

#include <cstdio>

#include "common/c_text.h"
#include "common/message_log.h"
#include "plot/response_measures.h"

namespace talvor {

namespace {

// A quantity of a measurement block: its column name and its value, false when the block says
// "não encontrado".
struct SummaryColumn {
    const char* name;
    bool (*value)(const ResponseMeasures& m, double& v);
};

bool Found(const Crossing& c, double& v)
{
    v = c.frequency;
    return c.found;
}

// The quantities in the order of the block's lines. No name ends in "f", which the plotter would
// take for a phase.
const SummaryColumn Columns[] = {
    {"ganho_inicio_dB",
     [](const ResponseMeasures& m, double& v) { return v = m.firstGainDb, true; }},
    {"ganho_fim_dB", [](const ResponseMeasures& m, double& v) { return v = m.lastGainDb, true; }},
    {"ganho_max_dB", [](const ResponseMeasures& m, double& v) { return v = m.peak.gainDb, true; }},
    {"freq_max", [](const ResponseMeasures& m, double& v) { return v = m.peak.frequency, true; }},
    {"meia_pot_abaixo",
     [](const ResponseMeasures& m, double& v) { return Found(m.lowerHalfPower, v); }},
    {"meia_pot_acima",
     [](const ResponseMeasures& m, double& v) { return Found(m.upperHalfPower, v); }},
    {"banda", [](const ResponseMeasures& m, double& v) { return v = m.bandwidth, m.hasBand; }},
    {"Q", [](const ResponseMeasures& m, double& v) { return v = m.q, m.hasBand; }},
    {"entalhe",
     [](const ResponseMeasures& m, double& v) { return v = m.notch.at.frequency, m.notch.found; }},
    {"prof_entalhe_dB",
     [](const ResponseMeasures& m, double& v) { return v = m.notch.depthDb, m.notch.found; }},
    {"ganho_unitario", [](const ResponseMeasures& m, double& v) { return Found(m.unityGain, v); }},
    {"margem_fase",
     [](const ResponseMeasures& m, double& v) {
         v = 180 + m.phaseAtUnity;
         return m.hasPhase && m.unityGain.found;
     }},
    {"fase_180",
     [](const ResponseMeasures& m, double& v) { return m.hasPhase && Found(m.phaseCrossover, v); }},
    {"margem_ganho_dB",
     [](const ResponseMeasures& m, double& v) {
         v = -m.gainAtCrossoverDb;
         return m.hasPhase && m.phaseCrossover.found;
     }},
};

std::string Header(const StepPlan& plan, const std::vector<std::string>& measureNames)
{
    std::string line = plan.monteCarlo ? "execucao" : "passo";
    for (const VariedValue& varied : plan.varied)
        line.append(" ").append(varied.label);
    for (const std::string& name : measureNames)
        for (const SummaryColumn& column : Columns)
            line.append(" ")
                .append(measureNames.size() > 1 ? name + "." : std::string())
                .append(column.name);
    return line;
}

void AppendNumber(std::string& line, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, " %g", value);
    line.append(text);
}

std::string Row(const StepPlan& plan, int run, const StepRun& result, size_t measureCount)
{
    std::string line = std::to_string(run + 1);
    for (double value : plan.values[run])
        AppendNumber(line, value);
    for (size_t k = 0; k < measureCount; ++k) {
        const bool measured = result.succeeded && k < result.measured.size() && result.measured[k];
        for (const SummaryColumn& column : Columns) {
            double value = 0;
            if (measured && result.measures[k].problem == MeasureProblem::None &&
                column.value(result.measures[k], value))
                AppendNumber(line, value);
            else
                line.append(" -");
        }
    }
    return line;
}

} // namespace

std::vector<std::string> MeasureSummaryLines(const StepPlan& plan, const std::vector<StepRun>& runs,
                                             const std::vector<std::string>& measureNames)
{
    std::vector<std::string> lines{Header(plan, measureNames)};
    for (size_t run = 0; run < runs.size(); ++run)
        lines.push_back(Row(plan, static_cast<int>(run), runs[run], measureNames.size()));
    return lines;
}

bool WriteMeasureSummary(const StepPlan& plan, const std::vector<StepRun>& runs,
                         const std::vector<std::string>& measureNames, const std::string& path,
                         MessageLog& log)
{
    const std::vector<std::string> lines = MeasureSummaryLines(plan, runs, measureNames);
    const DisplayText shownPath(path);
    std::FILE* out = std::fopen(path.c_str(), "w");
    bool written = out != nullptr;
    for (size_t k = 0; written && k < lines.size(); ++k)
        written = std::fprintf(out, "%s\n", lines[k].c_str()) >= 0;
    if (out != nullptr)
        written = std::fclose(out) == 0 && written;
    if (!written) {
        log.AppendLog("Erro ao escrever o arquivo %s.", shownPath.c_str());
        return false;
    }
    log.AppendLog("Medidas de cada %s no arquivo %s:", plan.monteCarlo ? "execução" : "passo",
                  shownPath.c_str());
    for (const std::string& line : lines)
        log.AppendLog("  %s", DisplayText(line).c_str());
    return true;
}

} // namespace talvor
