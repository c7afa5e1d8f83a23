// The DC operating point: the iterate it leaves for the small-signal analysis, and the
// Newton-Raphson search that finds it.
#pragma once

#include "netlist/circuit.h"

namespace talvor {

class Analysis;
class MessageLog;
struct AnalysisSettings;

// The iterate and the settings the operating point read at its start.
struct OperatingPoint {
    double V[MaxVariables + 1] = {}; // V[0] = 0 is ground
    bool notConverged[MaxVariables + 1] = {};
    double g0 = 1e-9; // also used by the AC system (X at ω = 0)
    double vdmax = 0.7;
    bool initialConduction = false;
};

// Newton-Raphson on the DC system with random restarts. On failure or stop sets RunFailed.
void FindOperatingPoint(Analysis& analysis);

// The start of a calculation: the settings read once (initial conduction, g0, Vdmax) and the
// iterate at the initial value of Einicio for unknowns 1..variableCount, ground at 0. A field
// that is not one number alone is named in log.
void StartOperatingPoint(OperatingPoint& op, const AnalysisSettings& settings, int variableCount,
                         MessageLog& log);

} // namespace talvor
