// Placeholder until the small-signal system lands.
#include "analysis/phases.h"

void BuildAcSystem(const Circuit&, const AnalysisSettings&, double, MnaSystem& mna, MessageLog&,
                   const AcPoint&)
{
    mna.Clear(0);
}

bool SolveAtFrequency(const Circuit&, const AnalysisSettings&, double, MnaSystem&, MessageLog&,
                      const AcPoint&)
{
    return false;
}
