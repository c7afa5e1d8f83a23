// The exponential junction that the diode, both junctions of the bipolar transistor and the bulk
// diodes of the MOS transistor share: its companion model and its capacitances.
#pragma once

#include "analysis/devices.h"

namespace talvor {

struct Junction {
    double G;  // companion conductance, S
    double I0; // companion current, anode to cathode, A
};

// One exponential junction from anode a to cathode b, linearised at the iterate (at 0.6 V in
// the initial-conduction state), as a straight line above Vdmax.
Junction StampJunction(const DeviceContext& context, int a, int b, double Is, double Vt);

struct JunctionCharge {
    double v, I, Crev, Cdir, total;
};

// The junction's capacitances at the converged voltages V.
JunctionCharge JunctionCapacitance(const double* V, int a, int b, double G, double I0, double C0,
                                   double C1);

} // namespace talvor
