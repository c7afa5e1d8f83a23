// The DC operating point: Newton-Raphson on the DC system with random restarts, then the
// device capacitances and operating conditions.
#include "analysis/operating_point.h"

#include <cmath>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/analysis_settings.h"
#include "analysis/devices.h"
#include "analysis/element_stamps.h"
#include "common/c_text.h"
#include "common/field_numbers.h"
#include "common/fp_faults.h"
#include "common/message_log.h"

namespace talvor {

namespace {

constexpr double Tolerance = 1e-6; // absolute, relative above 1 in magnitude
#ifndef TALVOR_FUZZ_LIMITS
constexpr int MaxIterations = 50; // per attempt
constexpr int MaxRestarts = 50;
#else
// Fuzzing builds only (fuzz/CMakeLists.txt): a few short attempts, so every input ends quickly.
constexpr int MaxIterations = 8;
constexpr int MaxRestarts = 2;
#endif

struct Progress {
    int iteration = 0; // completed iterations of the current attempt
    int restarts = 0;
    double maxError = 0;
    int maxErrorUnknown = 0;
};

// Stamps every element's DC form, with the optional trace and the stop poll after each.
// False when the run ends here (stopped, or an arithmetic fault), already logged.
bool StampDcSystem(Analysis& analysis, int iteration)
{
    Circuit& circuit = analysis.circuit;
    MessageLog& log = analysis.log;
    analysis.mna.Clear(circuit.variableCount);
    for (int k = 1; k <= circuit.elementCount; ++k) {
        Element& element = circuit.element(k);
        const AnalysisSettings& settings = analysis.Settings();
        ClearFpFaults();
        StampElementDc(analysis.op, settings, element, analysis.mna);
        if (FpFaultRaised()) {
            log.AppendLog("Erro aritmético na estampa de %s.", DisplayText(element.name).c_str());
            analysis.failure.kind = RunFailure::Kind::DcStamp;
            return false;
        }
        if (settings.CBestampas) {
            log.AppendLog("Sistema após a estampa de %s (n=%d):", DisplayText(element.name).c_str(),
                          iteration);
            LogMnaRows(analysis.mna, log, TraceEntries::Real);
        }
        analysis.host.ProcessEvents();
        if (circuit.StopRequest) {
            log.AppendLog("Cálculo do ponto de operação interrompido.");
            return false;
        }
    }
    return true;
}

// Takes the solution as the new iterate and measures the largest change.
bool TakeSolution(Analysis& analysis, Progress& progress)
{
    OperatingPoint& op = analysis.op;
    progress.maxError = 0;
    ClearFpFaults();
    for (int k = 1; k <= analysis.circuit.variableCount; ++k) {
        const double x = analysis.mna.Solution(k).re;
        double e = std::fabs(op.V[k] - x);
        if (std::fabs(x) > 1)
            e = e / std::fabs(x);
        op.notConverged[k] = e > Tolerance;
        if (e > progress.maxError) {
            progress.maxError = e;
            progress.maxErrorUnknown = k;
        }
        op.V[k] = x;
    }
    if (FpFaultRaised()) {
        analysis.log.AppendLog("Erro aritmético na solução do sistema.");
        return false;
    }
    return true;
}

// Unknowns that had not settled start again from a random value in [−50, 50].
void Restart(Analysis& analysis)
{
    OperatingPoint& op = analysis.op;
    for (int k = 1; k <= analysis.circuit.variableCount; ++k)
        if (op.notConverged[k])
            op.V[k] = analysis.random.Next() / 32767.0 * 100 - 50;
}

void LogIterate(Analysis& analysis, const Progress& progress)
{
    MessageLog& log = analysis.log;
    log.AppendLog("Resultados (iterações=%d, reinícios=%d):", progress.iteration,
                  progress.restarts);
    for (int k = 1; k <= analysis.circuit.variableCount; ++k)
        log.AppendLog("%10s: %+g", DisplayText(analysis.circuit.nodeTable[k]).c_str(),
                      analysis.mna.Solution(k).re);
}

// The Newton-Raphson iteration; false when it ends without an operating point (logged).
bool Iterate(Analysis& analysis, Progress& progress)
{
    Circuit& circuit = analysis.circuit;
    MessageLog& log = analysis.log;
    do {
        if (!StampDcSystem(analysis, progress.iteration))
            return false;
        const SolveStatus solved = SolveWatched(analysis.mna, log);
        if (solved != SolveStatus::Solved)
            analysis.failure.kind = RunFailure::Kind::DcSolve;
        analysis.dcSmallPivot = analysis.mna.MetSmallPivot();
        switch (solved) {
        case SolveStatus::ArithmeticFault:
            return false;
        case SolveStatus::Singular:
            log.AppendLog("Número de iterações: %d, Reinícios: %d.", progress.iteration,
                          progress.restarts);
            return false;
        case SolveStatus::Solved:
            break;
        }
        if (analysis.Settings().CBresultados)
            LogIterate(analysis, progress);
        ++progress.iteration;
        if (!TakeSolution(analysis, progress))
            return false;
        if (progress.iteration >= MaxIterations && progress.maxError > Tolerance) {
            if (progress.restarts >= MaxRestarts) {
                log.AppendLog("Não convergiu após %d tentativas. Erro=%g no nó %d",
                              progress.restarts, progress.maxError, progress.maxErrorUnknown);
                analysis.failure = {RunFailure::Kind::DcConvergence, progress.maxErrorUnknown};
                return false;
            }
            ++progress.restarts;
            Restart(analysis);
            progress.iteration = 0;
        }
        analysis.op.initialConduction = false;
    } while (circuit.hasNonlinear && progress.maxError > Tolerance);
    return true;
}

// The counts, the unknowns, then each device's capacitances and operating conditions.
bool ReportOperatingPoint(Analysis& analysis, const Progress& progress)
{
    Circuit& circuit = analysis.circuit;
    MessageLog& log = analysis.log;
    log.AppendLog("Número de iterações: %d, Reinícios: %d.", progress.iteration, progress.restarts);
    log.AppendLog("Ponto de operação encontrado.");
    for (int k = 1; k <= circuit.variableCount; ++k)
        log.AppendLog("%s: %g", DisplayText(circuit.nodeTable[k]).c_str(), analysis.op.V[k]);
    for (int k = 1; k <= circuit.elementCount; ++k) {
        Element& element = circuit.element(k);
        ClearFpFaults();
        StoreDeviceCapacitances(element, analysis.op.V);
        if (!LogDeviceConditions(element, analysis.op.V, log)) {
            log.AppendLog("Erro aritmético no modelo de %s.", DisplayText(element.name).c_str());
            return false;
        }
    }
    return true;
}

} // namespace

void StartOperatingPoint(OperatingPoint& op, const AnalysisSettings& settings, int variableCount,
                         MessageLog& log)
{
    // Read once: later changes in the dialog apply from the next calculation.
    op.initialConduction = settings.CBconduz;
    op.g0 = ReadReportedDecimal(log, Eg0Words, settings.Eg0);
    op.vdmax = ReadReportedDecimal(log, EvdmaxWords, settings.Evdmax);
    const double initialValue = ReadReportedDecimal(log, EinicioWords, settings.Einicio);
    op.V[0] = 0;
    for (int k = 1; k <= variableCount; ++k) {
        op.V[k] = initialValue;
        op.notConverged[k] = false;
    }
}

void FindOperatingPoint(Analysis& analysis)
{
    Circuit& circuit = analysis.circuit;
    circuit.StopRequest = 0;
    StartOperatingPoint(analysis.op, analysis.Settings(), circuit.variableCount, analysis.log);
    analysis.host.SetStopEnabled(true);
    Progress progress;
    if (!Iterate(analysis, progress) || !ReportOperatingPoint(analysis, progress))
        circuit.RunFailed = true;
    analysis.host.SetStopEnabled(false);
}

} // namespace talvor
