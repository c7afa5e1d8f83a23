// The nonlinear devices D, N, Q and M: companion models for the operating point, capacitances
// and reports after it converges, and their small-signal stamps.
//
// Value slots (values[k]) and units. Netlist values first, then what the models store:
//   D  [0] Is A, [1] VT V, [2] C0 F, [3] C1 F | [8] Gd S, [9] Ieq A (a to b), [6] Cdtotal F
//   N  [0..7] v1 V, i1 A, v2, i2, v3, i3, v4, i4 | [8] Gn S
//   Q  [0] alfa, [1] alfar, [2] Isbe A, [3] VTbe V, [4] Isbc A, [5] VTbc V, [6] VA V,
//      [7] C0be F, [8] C1be F, [9] C0bc F, [10] C1bc F
//      | [11] Gbe S, [12] Ieqbe A, [13] Gbc S, [14] Ieqbc A, [15] GEbe S, [16] GEbc S,
//        [17] GEce S, [18] Cbe F, [19] Cbc F
//   M  [0] L m, [1] W m, [2] K A/V², [3] VT0 V, [4] Lambda 1/V, [5] Gama √V, [6] Fi V, [7] Ld m
//      | [8] Gm S, [9] Gds S, [10] Gmb S, [11] Ieq A (effective drain to effective source);
//        after convergence [3] Cgs F, [4] Cgd F, [5] Cgb F replace VT0, Lambda, Gama
// Q and M keep their type letter ('N', else p) in field y; M keeps its MOS orientation in x:
// sign +1 when drain and source act as written, −1 when exchanged; magnitude 1 cut-off,
// 2 saturation, 3 triode.
#pragma once

#include "analysis/analysis_settings.h"
#include "analysis/mna_system.h"
#include "analysis/operating_point.h"
#include "netlist/circuit.h"

class MessageLog;

namespace DiodeSlot {
inline constexpr int Is = 0, VT = 1, C0 = 2, C1 = 3, Cdtotal = 6, Gd = 8, Ieq = 9;
}
namespace PwlSlot {
inline constexpr int FirstPoint = 0, Gn = 8;
}
namespace BipolarSlot {
inline constexpr int alfa = 0, alfar = 1, Isbe = 2, VTbe = 3, Isbc = 4, VTbc = 5, VA = 6, C0be = 7,
                     C1be = 8, C0bc = 9, C1bc = 10, Gbe = 11, Ieqbe = 12, Gbc = 13, Ieqbc = 14,
                     GEbe = 15, GEbc = 16, GEce = 17, Cbe = 18, Cbc = 19;
}
namespace MosSlot {
inline constexpr int L = 0, W = 1, K = 2, VT0 = 3, Lambda = 4, Gama = 5, Fi = 6, Ld = 7, Gm = 8,
                     Gds = 9, Gmb = 10, Ieq = 11, Cgs = 3, Cgd = 4, Cgb = 5;
}

bool IsDevice(char type);

// Everything a companion model reads besides its element: the iterate and the settings the
// operating point read at its start (op), the live options, and the system to stamp into.
struct DeviceContext {
    const OperatingPoint& op;
    const AnalysisSettings& settings;
    MnaSystem& mna;
};

struct Junction {
    double G;  // companion conductance
    double I0; // companion current, anode to cathode
};

// One exponential junction from anode a to cathode b, linearised at the iterate (at 0.6 V in
// the initial-conduction state), as a straight line above Vdmax.
Junction StampJunction(const DeviceContext& context, int a, int b, double Is, double Vt);

// Stamps the companion model of a D, N, Q or M element and stores its per-iteration values.
void StampDevice(const DeviceContext& context, Element& element);

struct JunctionCharge {
    double v, I, Crev, Cdir, total;
};

// The junction's capacitances at the converged voltages V.
JunctionCharge JunctionCapacitance(const double* V, int a, int b, double G, double I0, double C0,
                                   double C1);

// Cgs, Cgd, Cgb of an M element from its region, stored over VT0, Lambda, Gama.
void MosCapacitances(Element& element);

// After convergence: computes and stores a device's capacitances and logs its operating
// conditions (M, D and Q; N logs nothing). Returns false, having logged nothing, when the
// computation raised an arithmetic fault; the caller clears the fault flags before the call.
bool ReportDevice(Element& element, const double* V, MessageLog& log);

// The small-signal stamp of a D, N, Q or M element from the values its operating point stored.
void StampDeviceAc(const Element& element, double omega, const AnalysisSettings& settings,
                   MnaSystem& mna);
