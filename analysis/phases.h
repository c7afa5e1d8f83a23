// The phases of one analysis run, in the order the driver calls them.
#pragma once

#include <string>

#include "analysis/analysis.h"

// Newton-Raphson on the DC system with random restarts. On failure or stop sets RunFailed.
void FindOperatingPoint(Analysis& analysis);

// One frequency point of the sweep: f is the sweep value, omega the angular frequency, index the
// point's number from 0 (traces and reports only for index < 5).
struct AcPoint {
    double f;
    double omega;
    long index;
};

// Clears mna and stamps every element's small-signal form at the point. Reads only the circuit,
// the settings and g0, so that independent points can be built on separate systems. Returns
// false after an arithmetic fault in a stamp, logged as "Erro aritmético na estampa de %s.".
bool BuildAcSystem(const Circuit& circuit, const AnalysisSettings& settings, double g0,
                   MnaSystem& mna, MessageLog& log, const AcPoint& point);

// BuildAcSystem, SolveMna and the results report. Returns false on a failed solve (or an
// arithmetic fault, already logged); the solution stays in mna.
bool SolveAtFrequency(const Circuit& circuit, const AnalysisSettings& settings, double g0,
                      MnaSystem& mna, MessageLog& log, const AcPoint& point);

// Walks the sweep and writes the result table. On failure sets RunFailed.
void RunSweep(Analysis& analysis);

// The whole run for the netlist at path: read, settle the sweep, operating point, sweep, report.
void RunAnalysis(Analysis& analysis, const std::string& netlistPath);
