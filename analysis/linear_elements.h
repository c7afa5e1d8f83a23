// DC and small-signal stamps of the linear elements (every type but D, N, Q and M), one function
// per form.
#pragma once

#include "analysis/mna_system.h"
#include "netlist/circuit.h"

namespace talvor {

// The element's DC form: capacitors bridged by g0, inductors as shorts with g0 ohms in series,
// sources at their DC value. Unknown type letters stamp nothing.
void StampLinearDc(const Element& element, double g0, MnaSystem& mna);

// The element's form at angular frequency omega, sources at their AC phasor. g0 is only used by
// an X inductor at omega = 0. Unknown type letters stamp nothing.
void StampLinearAc(const Element& element, double omega, double g0, MnaSystem& mna);

} // namespace talvor
