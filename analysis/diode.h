// The junction diode D (anode a, cathode b): one exponential junction with its capacitance.
#pragma once

#include "analysis/devices.h"

namespace talvor {

// Value slots (values[k]) and units.
namespace DiodeSlot {
// From the netlist.
inline constexpr int Is = 0; // saturation current, A
inline constexpr int VT = 1; // thermal voltage, V
inline constexpr int C0 = 2; // junction capacitance at 0 V, F
inline constexpr int C1 = 3; // diffusion capacitance per nA of current, F
// Stored at every iteration.
inline constexpr int Gd = 8;  // companion conductance, S
inline constexpr int Ieq = 9; // companion current, a to b, A
// Stored after convergence.
inline constexpr int Cdtotal = 6; // junction plus diffusion capacitance, F
} // namespace DiodeSlot

// The diode's part in each step of its DeviceModel (devices.h).
void StampDiode(const DeviceContext& context, Element& diode);
void StoreDiodeCapacitance(Element& diode, const double* V);
bool LogDiode(const Element& diode, const double* V, MessageLog& log);
void StampDiodeAc(const Element& diode, double omega, const AnalysisSettings& settings,
                  MnaSystem& mna);
// 0 reverse, 1 direct, 2 direct above Vdmax (where the model is a straight line).
int DiodeRegion(const Element& diode, const OperatingPoint& op);
std::string DiodeRegionWords(int region);
std::string DiodeVoltages(const Element& diode, const double* V);

} // namespace talvor
