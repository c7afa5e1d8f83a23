// The small-signal system at one frequency: stamps, optional trace, solve and results report.
#include "analysis/ac_system.h"

#include "analysis/analysis_settings.h"
#include "analysis/element_stamps.h"
#include "common/c_text.h"
#include "common/fp_faults.h"
#include "common/message_log.h"

namespace talvor {

namespace {

void LogAcResults(const Circuit& circuit, const MnaSystem& mna, MessageLog& log, double f)
{
    log.AppendLog("Resultados (f=%g):", f);
    for (int k = 1; k <= mna.Size(); ++k) {
        const Complex x = mna.Solution(k);
        log.AppendLog("%10s: %+g%+gj", DisplayText(circuit.nodeTable[k]).c_str(), x.re, x.im);
    }
}

} // namespace

bool BuildAcSystem(const Circuit& circuit, const AnalysisSettings& settings, double g0,
                   MnaSystem& mna, MessageLog& log, const AcPoint& point)
{
    mna.Clear(circuit.variableCount);
    // The fault flags are sticky and nothing but the stamps runs between two tests (the trace
    // clears them again after itself), so the first element after which a flag shows is the
    // one that raised it; clearing once per element would cost more than the stamps.
    ClearFpFaults();
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& element = circuit.element(k);
        StampElementAc(element, point.omega, settings, g0, mna);
        if (FpFaultRaised()) {
            log.AppendLog("Erro aritmético na estampa de %s.", DisplayText(element.name).c_str());
            return false;
        }
        if (settings.CBestampas && point.index < TracedPoints) {
            log.AppendLog("Sistema após a estampa de %s (f=%g):", DisplayText(element.name).c_str(),
                          point.f);
            LogMnaRows(mna, log, TraceEntries::RealAndImaginary);
            ClearFpFaults();
        }
    }
    return true;
}

bool SolveAtFrequency(const Circuit& circuit, const AnalysisSettings& settings, double g0,
                      MnaSystem& mna, MessageLog& log, const AcPoint& point)
{
    if (!BuildAcSystem(circuit, settings, g0, mna, log, point))
        return false;
    if (SolveWatched(mna, log) != SolveStatus::Solved)
        return false;
    if (settings.CBresultados && point.index < TracedPoints)
        LogAcResults(circuit, mna, log, point.f);
    return true;
}

} // namespace talvor
