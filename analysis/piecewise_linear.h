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

// The resistor's part in each step of its DeviceModel (devices.h).
void StampPiecewiseLinear(const DeviceContext& context, Element& resistor);
void StampPiecewiseLinearAc(const Element& resistor, double omega, const AnalysisSettings& settings,
                            MnaSystem& mna);
// The segment that holds the operating point, 1..3.
int PiecewiseLinearRegion(const Element& resistor, const OperatingPoint& op);
std::string PiecewiseLinearRegionWords(int region);
std::string PiecewiseLinearVoltages(const Element& resistor, const double* V);

} // namespace talvor
