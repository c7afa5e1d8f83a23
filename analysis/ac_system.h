// The small-signal system at one frequency: stamps, optional trace, solve and results report.
#pragma once

#include "analysis/mna_system.h"
#include "netlist/circuit.h"

namespace talvor {

class MessageLog;
struct AnalysisSettings;

// One frequency point of the sweep: f is the sweep value, omega the angular frequency, index the
// point's number from 0 (traces and reports only for index < TracedPoints).
struct AcPoint {
    double f;
    double omega;
    long index;
};

// The points of a sweep whose system traces and results reports the log shows.
inline constexpr long TracedPoints = 5;

// Clears mna and stamps every element's small-signal form at the point. Reads only the circuit,
// the settings and g0, so that independent points can be built on separate systems. Returns
// false after an arithmetic fault in a stamp, logged as "Erro aritmético na estampa de %s.".
bool BuildAcSystem(const Circuit& circuit, const AnalysisSettings& settings, double g0,
                   MnaSystem& mna, MessageLog& log, const AcPoint& point);

// BuildAcSystem, SolveMna and the results report. Returns false on a failed solve (or an
// arithmetic fault, already logged); the solution stays in mna.
bool SolveAtFrequency(const Circuit& circuit, const AnalysisSettings& settings, double g0,
                      MnaSystem& mna, MessageLog& log, const AcPoint& point);

} // namespace talvor
