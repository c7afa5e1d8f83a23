// The analysis driver: one run from the netlist to the result table.
#include "analysis/run_analysis.h"

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/analysis_settings.h"
#include "analysis/diagnosis/diagnosis.h"
#include "analysis/junction_warnings.h"
#include "analysis/operating_point.h"
#include "analysis/sweep.h"
#include "common/field_numbers.h"
#include "common/message_log.h"
#include "netlist/netlist_reader.h"
#include "netlist/reader_notes.h"

namespace talvor {

namespace {

// The sweep from the dialog's frequency fields, after "Aplicar". False when the program closes
// while waiting.
bool TakeSweepFromSettings(Analysis& analysis)
{
    MessageLog& log = analysis.log;
    log.AppendLog("Linha de comando não encontrada ou ignorada.");
    if (!analysis.host.WaitForSettings())
        return false;
    log.AppendLog("Parâmetros de análise dados.");
    const AnalysisSettings& settings = analysis.Settings();
    SweepSpec& sweep = analysis.circuit.sweep;
    const FieldNumber start = ReadDecimalField(settings.Efinicial);
    const FieldNumber end = ReadDecimalField(settings.Effinal);
    const FieldNumber points = ReadIntegerField(settings.Epontos);
    sweep.mode = settings.RGescala;
    sweep.fStart = start.value;
    sweep.fEnd = end.value;
    sweep.points = static_cast<int>(points.value);
    log.AppendLog("F inicial: %g; F final: %g; Pontos: %d; Modo: %d.", sweep.fStart, sweep.fEnd,
                  sweep.points, sweep.mode);
    ReportField(log, EfinicialWords, settings.Efinicial, start);
    ReportField(log, EffinalWords, settings.Effinal, end);
    ReportField(log, EpontosWords, settings.Epontos, points);
    return true;
}

} // namespace

void RunAnalysis(Analysis& analysis, const std::string& netlistPath)
{
    Circuit& circuit = analysis.circuit;
    MessageLog& log = analysis.log;
    circuit.RunFailed = false;
    circuit.hasNonlinear = false;
    analysis.failure = RunFailure{};
    analysis.dcSmallPivot = false;
    log.AppendLog("%s", "");

    const RunVariation& variation = analysis.variation;
    if (!ReadNetlist(circuit, log, netlistPath, analysis.Settings().CBignorar, variation.values)) {
        NoteSpiceDeck(circuit, log);
        return;
    }
    if (!variation.tablePath.empty())
        circuit.tablePath = variation.tablePath;
    if (circuit.useSettingsSweep && !TakeSweepFromSettings(analysis))
        return;

    log.AppendLog("Calculando...");
    FindOperatingPoint(analysis);
    if (circuit.RunFailed) {
        log.AppendLog("Análise de resposta em frequência não realizada.");
    } else {
        const SweepEnd end = RunSweep(analysis);
        if (end == SweepEnd::Written) {
            log.AppendLog("Análise terminada com sucesso.");
            WarnJunctionsFarAboveVdmax(analysis);
        } else if (end == SweepEnd::Stopped) {
            log.AppendLog("Análise de resposta em frequência não realizada.");
        }
    }
    DiagnoseFailedRun(analysis);
    NoteSpiceDeck(circuit, log);
    analysis.host.HandOverTablePath(circuit.tablePath);
}

} // namespace talvor
