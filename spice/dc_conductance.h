// Where Talvor's g0 moves the operating point away from ngspice's: Talvor bridges every
// capacitor and every MOS gate with the conductance g0 at DC (1e-9 S by default), ngspice leaves
// them open.
#pragma once

#include "spice/converted_circuit.h"

namespace talvor {

class Warnings;

// Warns about every node that only resistors (besides capacitors and MOS gates) hold at DC
// where the g0 of those branches is not negligible beside the resistors' conductance, with the
// rough size of the shift and the --g0 that matches ngspice; and about nodes that only
// capacitors and gates hold, where ngspice finds no operating point.
void WarnAboutDcBridges(const ConvertedCircuit& circuit, Warnings& warnings);

} // namespace talvor
