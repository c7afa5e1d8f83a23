// The nonlinear devices D, N, Q and M as the analysis sees them: a DC companion model at every
// Newton iteration, capacitances and an operating-conditions line after convergence, and a
// small-signal stamp from the values stored then. Each device has a file of its own (diode,
// piecewise_linear, bipolar, mos) that opens with its value slots; junction.h is the exponential
// junction they share.
#pragma once

#include "analysis/analysis_settings.h"
#include "analysis/mna_system.h"
#include "analysis/operating_point.h"
#include "netlist/circuit.h"

namespace talvor {

class MessageLog;

bool IsDevice(char type);

// Everything a companion model reads besides its element: the iterate and the settings the
// operating point read at its start (op), the live options, and the system to stamp into.
struct DeviceContext {
    const OperatingPoint& op;
    const AnalysisSettings& settings;
    MnaSystem& mna;
};

// Stamps the companion model of a D, N, Q or M element and stores its per-iteration values.
void StampDevice(const DeviceContext& context, Element& element);

// After convergence, at the converged voltages V: stores the capacitances of a D, Q or M element
// that its small-signal stamp and its operating-conditions line read.
void StoreDeviceCapacitances(Element& element, const double* V);

// Logs the operating conditions of a D, Q or M element at V (N logs nothing). Returns false,
// having logged nothing, when the line's values raised an arithmetic fault; the caller clears
// the fault flags before StoreDeviceCapacitances, so that a fault there is caught here too.
bool LogDeviceConditions(const Element& element, const double* V, MessageLog& log);

// The small-signal stamp of a D, N, Q or M element from the values its operating point stored.
void StampDeviceAc(const Element& element, double omega, const AnalysisSettings& settings,
                   MnaSystem& mna);

} // namespace talvor
