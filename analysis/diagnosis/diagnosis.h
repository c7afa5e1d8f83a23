// The diagnosis of a failed run: after the run's last line, a few lines in the circuit's own
// words on why the system was singular or Newton-Raphson did not converge. Nothing runs, and
// nothing is logged, for a run that succeeds.
#pragma once

#include <string>

namespace talvor {

class Analysis;

// Writes the diagnosis of the failure the run recorded, if any.
void DiagnoseFailedRun(Analysis& analysis);

// The check of a netlist without solving: read as a run reads it, then the DC system of the
// first iteration, stamped with the settings as a run would, is searched for causes of
// singularity that hold whatever the element values. Logs each cause found (or that none was)
// and returns how many; -1 when the netlist could not be read, the reader having said why.
int CheckNetlist(Analysis& analysis, const std::string& netlistPath);

} // namespace talvor
