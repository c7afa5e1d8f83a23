// The series resistances of device models (bipolar RB, RC, RE; diode RS; MOS RD, RS) put in as
// resistors through internal nodes, in deck order, while Talvor's limits allow.
#pragma once

#include "spice/converted_circuit.h"

namespace talvor {

class Warnings;

// Each resistance of circuit.seriesResistances becomes a resistor from its device's terminal to
// a new internal node, which takes the terminal's place in the device, while the unknowns
// (unknowns now, each resistance adds one) and the elements stay within Talvor's limits. The
// others are left out with one warning per device: which resistances, and by how much the
// circuit would be over the limits with all of them.
void PlaceSeriesResistances(ConvertedCircuit& circuit, int unknowns, Warnings& warnings);

} // namespace talvor
