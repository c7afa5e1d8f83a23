// Placeholder until the operating point lands.
#include "analysis/phases.h"
#include "common/message_log.h"

void FindOperatingPoint(Analysis& analysis)
{
    analysis.log.AppendLog("Ponto de operação ainda não implementado.");
    analysis.circuit.RunFailed = true;
}
