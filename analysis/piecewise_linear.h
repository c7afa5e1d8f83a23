// The piecewise-linear resistor N (a, b): three straight segments through four points, the
// outer ones extended without limit. It has no capacitance and logs no operating conditions.
#pragma once

#include "analysis/devices.h"

namespace talvor {

// Value slots (values[k]) and units.
namespace PwlSlot {
// From the netlist: v1 V, i1 A, v2, i2, v3, i3, v4, i4 in slots 0 to 7.
inline constexpr int FirstPoint = 0;
// Stored at every iteration.
inline constexpr int Gn = 8; // slope of the active segment, S
} // namespace PwlSlot

// The resistor's part in each step that devices.h dispatches.
void StampPiecewiseLinear(const DeviceContext& context, Element& resistor);
void StampPiecewiseLinearAc(const Element& resistor, MnaSystem& mna);

} // namespace talvor
