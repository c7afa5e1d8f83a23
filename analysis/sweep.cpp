// The frequency sweep: plans the points, solves the small-signal system at each and writes one
// table row per point, the first few (which may print traces and reports) one after another,
// the rest through parallel_sweep.h.
#include "analysis/sweep.h"

#include <cfloat>
#include <climits>
#include <cmath>

#include "analysis/ac_system.h"
#include "analysis/analysis.h"
#include "analysis/analysis_settings.h"
#include "analysis/parallel_sweep.h"
#include "analysis/result_table.h"
#include "common/c_text.h"
#include "common/message_log.h"

namespace talvor {

namespace {

// How many rows the plan walks, about (a geometric count may be one off by rounding).
double PlannedRows(const SweepPlan& plan)
{
    if (!plan.geometric)
        return static_cast<double>(plan.maxPoints);
    if (!(plan.endLimit > plan.fStart) || plan.step <= 1)
        return 1;
    return std::floor(std::log(plan.endLimit / plan.fStart) / std::log(plan.step)) + 1;
}

} // namespace

bool PlanSweep(SweepSpec& sweep, MessageLog& log, SweepPlan& plan)
{
    if (sweep.fStart == 0)
        sweep.mode = 0;
    if (!std::isfinite(sweep.fStart) || !std::isfinite(sweep.fEnd)) {
        log.AppendLog("Frequências inválidas na varredura: %g a %g. Tabela não gerada.",
                      sweep.fStart, sweep.fEnd);
        return false;
    }
    if (sweep.points < 1) {
        log.AppendLog("Número de pontos inválido na varredura: %d. Tabela não gerada.",
                      sweep.points);
        return false;
    }
    plan.geometric = sweep.mode == 1 || sweep.mode == 2;
    if (plan.geometric && sweep.fStart < 0) {
        log.AppendLog("Frequência inicial negativa (%g) em escala logarítmica. Tabela não gerada.",
                      sweep.fStart);
        return false;
    }
    if (plan.geometric && sweep.fStart < DBL_MIN) {
        // A subnormal start times a ratio just above 1 rounds back to itself: f would never grow.
        log.AppendLog("Frequências inválidas na varredura: %g a %g. Tabela não gerada.",
                      sweep.fStart, sweep.fEnd);
        return false;
    }
    plan.fStart = sweep.fStart;
    // The margin lets the last point through despite rounding; below zero it must shrink |fEnd|.
    plan.endLimit = sweep.fEnd * (sweep.fEnd < 0 ? 0.9999999 : 1.0000001);
    plan.maxPoints = plan.geometric ? LONG_MAX : sweep.points;

    if (sweep.points == 1) {
        log.AppendLog("Varredura de um só ponto, em %g.", sweep.fStart);
        plan.step = plan.geometric ? 1 : 0;
        plan.maxPoints = 1;
        return true;
    }
    // N counts the points of a decade or octave including both of its ends.
    double intervals = sweep.points - 1;
    if (sweep.mode == 1) {
        plan.step = std::pow(10.0, 1 / intervals);
    } else if (sweep.mode == 2) {
        plan.step = std::pow(2.0, 1 / intervals);
    } else {
        plan.step = (sweep.fEnd - sweep.fStart) / intervals;
        if (!(plan.step > 0)) {
            log.AppendLog("Frequência final não supera a inicial: varredura de um só ponto, em %g.",
                          sweep.fStart);
            plan.maxPoints = 1;
        }
    }
    // Millions of rows would take hours and fill the disk: such a sweep is a typing error.
    const double rows = PlannedRows(plan);
    if (rows > MaxSweepRows) {
        log.AppendLog("Varredura longa demais: %.0f pontos (máximo %ld). Tabela não gerada.", rows,
                      MaxSweepRows);
        return false;
    }
    return true;
}

bool SolvePoint(const SweepContext& context, MnaSystem& mna, MessageLog& log, double f, long index,
                RowText& row)
{
    AcPoint point{f, AngularFrequency(f, context.hertz), index};
    if (!SolveAtFrequency(context.circuit, context.settings, context.g0, mna, log, point))
        return false;
    FormatRow(row, f, mna, context.circuit.variableCount, context.units);
    return true;
}

namespace {

// Solves and writes every point of the plan, until a failed solve or a stop request. progress
// counts the rows.
SweepEnd WalkSweep(const SweepContext& context, const SweepPlan& plan, MnaSystem& mna,
                   MessageLog& log, ResultTable& table, SweepProgress& progress)
{
    double f = plan.fStart;
    long index = 0;
    RowText row;
    for (; index < TracedPoints && InSweep(plan, index, f); ++index, f = NextFrequency(plan, f)) {
        if (StopRequested(context.circuit))
            return SweepEnd::Stopped;
        if (!SolvePoint(context, mna, log, f, index, row))
            return SweepEnd::Failed;
        table.WriteRow(row);
        progress.RowWritten();
    }
    // The later points show no traces, so they can be solved side by side.
    return WriteRemainingPoints(context, plan, f, index, table, log, progress);
}

// The table, the rows written and what the run ends with.
SweepEnd ReportSweepEnd(Analysis& analysis, SweepEnd end, bool written, long rows,
                        const SweepPlan& plan, bool hertz)
{
    Circuit& circuit = analysis.circuit;
    MessageLog& log = analysis.log;
    const DisplayText table(circuit.tablePath);
    if (end == SweepEnd::Written && !written) {
        log.AppendLog("Erro ao escrever o arquivo %s.", table.c_str());
        end = SweepEnd::Failed;
    } else if (end == SweepEnd::Written) {
        log.AppendLog("Tabela escrita no arquivo %s com %ld pontos.", table.c_str(), rows);
    } else if (end == SweepEnd::Stopped) {
        log.AppendLog("Cálculo interrompido.");
        log.AppendLog("Parada pedida pelo usuário: o arquivo %s ficou com os %ld pontos já "
                      "calculados.",
                      table.c_str(), rows);
    } else {
        log.AppendLog("Cálculo interrompido.");
        // rows were written up to the failed point
        const double f = FrequencyAt(plan, rows);
        analysis.failure = {RunFailure::Kind::AcSolve, 0, f, AngularFrequency(f, hertz)};
    }
    circuit.RunFailed = circuit.RunFailed || end != SweepEnd::Written;
    return end;
}

} // namespace

SweepEnd RunSweep(Analysis& analysis)
{
    Circuit& circuit = analysis.circuit;
    MessageLog& log = analysis.log;
    SweepPlan plan;
    if (!PlanSweep(circuit.sweep, log, plan)) {
        circuit.RunFailed = true;
        return SweepEnd::Failed;
    }
#ifdef TALVOR_FUZZ_LIMITS
    // Fuzzing builds only (fuzz/CMakeLists.txt): a few points, so every input ends quickly.
    if (plan.maxPoints > 40)
        plan.maxPoints = 40;
#endif

    log.AppendLog("Gerando tabela...");
    ResultTable table;
    if (!table.Create(circuit.tablePath)) {
        log.AppendLog("Não foi possível criar o arquivo %s.",
                      DisplayText(circuit.tablePath).c_str());
        circuit.RunFailed = true;
        return SweepEnd::Failed;
    }
    table.WriteHeader(circuit.nodeTable, circuit.variableCount);

    // The sweep's own copy: the windows stay usable meanwhile, and the threads read it.
    const AnalysisSettings settings = analysis.Settings();
    const SweepContext context{circuit, settings, analysis.op.g0, settings.CBHz,
                               TableUnits{settings.CBdB, settings.CBgraus},
                               analysis.sweepThreads};
    SweepEnd end;
    long rows;
    {
        SweepProgress progress(analysis.host, static_cast<long>(PlannedRows(plan)));
        analysis.host.SetStopEnabled(true);
        end = WalkSweep(context, plan, analysis.mna, log, table, progress);
        analysis.host.SetStopEnabled(false);
        rows = progress.Rows();
    }
    const bool written = table.Close();
    return ReportSweepEnd(analysis, end, written, rows, plan, settings.CBHz);
}

} // namespace talvor
