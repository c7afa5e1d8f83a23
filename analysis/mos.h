// The MOS transistor M (drain a, gate b, source c, bulk d; n-channel when field y is 'N', else
// p-channel): Shichman-Hodges with body effect and channel-length modulation, symmetric in drain
// and source, with optional bulk diodes.
//
// Field x keeps the orientation of the last iteration: sign +1 when drain and source act as
// written, −1 when exchanged; magnitude 1 cut-off, 2 saturation, 3 triode.
#pragma once

#include "analysis/devices.h"

namespace talvor {

// Value slots (values[k]) and units.
namespace MosSlot {
// From the netlist.
inline constexpr int L = 0;      // channel length, m
inline constexpr int W = 1;      // channel width, m
inline constexpr int K = 2;      // transconductance parameter, A/V²
inline constexpr int VT0 = 3;    // threshold voltage at Vbs = 0, V (positive for p-channel too)
inline constexpr int Lambda = 4; // channel-length modulation, 1/V
inline constexpr int Gama = 5;   // body-effect coefficient, √V
inline constexpr int Fi = 6;     // surface potential, V
inline constexpr int Ld = 7;     // lateral diffusion (gate overlap), m
// Stored at every iteration.
inline constexpr int Gm = 8;   // transconductance, S
inline constexpr int Gds = 9;  // output conductance, S
inline constexpr int Gmb = 10; // body transconductance, S
inline constexpr int Ieq = 11; // companion current, effective drain to effective source, A
// Stored after convergence, over VT0, Lambda and Gama.
inline constexpr int Cgs = 3; // gate to effective source, F
inline constexpr int Cgd = 4; // gate to effective drain, F
inline constexpr int Cgb = 5; // gate to bulk, F
} // namespace MosSlot

// The transistor's part in each step of its DeviceModel (devices.h).
void StampMos(const DeviceContext& context, Element& transistor);
// Cgs, Cgd, Cgb from the region of the last iteration; the model's step, which needs no V.
void MosCapacitances(Element& transistor);
void StoreMosCapacitances(Element& transistor, const double* V);
bool LogMos(const Element& transistor, const double* V, MessageLog& log);
void StampMosAc(const Element& transistor, double omega, const AnalysisSettings& settings,
                MnaSystem& mna);
// The orientation the last stamp stored, plus 3: 0..6, never 3.
int MosRegion(const Element& transistor, const OperatingPoint& op);
std::string MosRegionWords(int region);
std::string MosVoltages(const Element& transistor, const double* V);

} // namespace talvor
