// The bipolar transistor Q (collector a, base b, emitter c; npn when field y is 'N', else pnp):
// Ebers-Moll with the Early effect.
#pragma once

#include "analysis/devices.h"

namespace talvor {

// Value slots (values[k]) and units.
namespace BipolarSlot {
// From the netlist.
inline constexpr int alfa = 0;  // forward common-base current gain
inline constexpr int alfar = 1; // reverse common-base current gain
inline constexpr int Isbe = 2;  // base-emitter saturation current, A
inline constexpr int VTbe = 3;  // base-emitter thermal voltage, V
inline constexpr int Isbc = 4;  // base-collector saturation current, A
inline constexpr int VTbc = 5;  // base-collector thermal voltage, V
inline constexpr int VA = 6;    // Early voltage, V
inline constexpr int C0be = 7;  // base-emitter junction capacitance at 0 V, F
inline constexpr int C1be = 8;  // base-emitter diffusion capacitance per nA of current, F
inline constexpr int C0bc = 9;  // base-collector junction capacitance at 0 V, F
inline constexpr int C1bc = 10; // base-collector diffusion capacitance per nA of current, F
// Stored at every iteration; the pnp values carry the signs of its mirrored junctions.
inline constexpr int Gbe = 11;   // base-emitter companion conductance, S
inline constexpr int Ieqbe = 12; // base-emitter companion current, A
inline constexpr int Gbc = 13;   // base-collector companion conductance, S
inline constexpr int Ieqbc = 14; // base-collector companion current, A
inline constexpr int GEbe = 15;  // Early transconductance from Vbe, S
inline constexpr int GEbc = 16;  // Early transconductance from Vbc, S
inline constexpr int GEce = 17;  // Early output conductance, S
// Stored after convergence.
inline constexpr int Cbe = 18; // base-emitter capacitance, F
inline constexpr int Cbc = 19; // base-collector capacitance, F
} // namespace BipolarSlot

// The transistor's part in each step of its DeviceModel (devices.h).
void StampBipolar(const DeviceContext& context, Element& transistor);
void StoreBipolarCapacitances(Element& transistor, const double* V);
bool LogBipolar(const Element& transistor, const double* V, MessageLog& log);
void StampBipolarAc(const Element& transistor, double omega, const AnalysisSettings& settings,
                    MnaSystem& mna);
// By its two junctions in their forward sense: bit 0 the emitter junction conducts, bit 1 the
// collector junction (0 cut-off, 1 active, 2 reverse active, 3 saturated).
int BipolarRegion(const Element& transistor, const OperatingPoint& op);
std::string BipolarRegionWords(int region);
std::string BipolarVoltages(const Element& transistor, const double* V);

} // namespace talvor
