// Placeholder until the sweep lands.
#include "analysis/phases.h"
#include "common/message_log.h"

void RunSweep(Analysis& analysis)
{
    analysis.log.AppendLog("Varredura ainda não implementada.");
    analysis.circuit.RunFailed = true;
}
