// The nonlinear devices D, N, Q and M as the analysis sees them: a DC companion model at every
// Newton iteration, capacitances and an operating-conditions line after convergence, a
// small-signal stamp from the values stored then, and the operating region the model is in.
// Each device has a file of its own (diode, piecewise_linear, bipolar, mos) that opens with its
// value slots, and one row in the table of models in devices.cpp; junction.h is the exponential
// junction they share.
#pragma once

#include <string>

#include "analysis/analysis_settings.h"
#include "analysis/mna_system.h"
#include "analysis/operating_point.h"
#include "netlist/circuit.h"

namespace talvor {

class MessageLog;

// Everything a companion model reads besides its element: the iterate and the settings the
// operating point read at its start (op), the live options, and the system to stamp into.
struct DeviceContext {
    const OperatingPoint& op;
    const AnalysisSettings& settings;
    MnaSystem& mna;
};

// A stored value of a device, by slot, with its name.
struct NamedSlot {
    const char* name = nullptr;
    int slot = 0;
};

// What a device's file gives the analysis. Every step but the capacitances and the conditions
// line is required.
struct DeviceModel {
    char letter = 0;
    // The companion model at the iterate; stores the values of every iteration.
    void (*stamp)(const DeviceContext& context, Element& device) = nullptr;
    // The small-signal stamp from the values stored at the operating point.
    void (*stampAc)(const Element& device, double omega, const AnalysisSettings& settings,
                    MnaSystem& mna) = nullptr;
    // After convergence, at the converged voltages V: the capacitances the small-signal stamp
    // and the conditions line read; nullptr when the device has none.
    void (*storeCapacitances)(Element& device, const double* V) = nullptr;
    // The operating-conditions line; false, having logged nothing, when its values raised an
    // arithmetic fault. nullptr when the device logs none.
    bool (*logConditions)(const Element& device, const double* V, MessageLog& log) = nullptr;
    // The region of the model at op's iterate, a code 0..7 (an M must have been stamped there),
    // its words ("direto", "saturado invertido") and the terminal voltages that decide it.
    int (*region)(const Element& device, const OperatingPoint& op) = nullptr;
    std::string (*regionWords)(int region) = nullptr;
    std::string (*voltages)(const Element& device, const double* V) = nullptr;
    // Regions that are numbered rather than named ("trecho 2"): how a list of them starts.
    const char* numberedRegions = nullptr;
    // The stored values a change of which moves the device's share of the system.
    NamedSlot weighing[2] = {};
    // The parameters its companion model divides by: a value of 0 there is an arithmetic fault.
    NamedSlot divisors[3] = {};
};

// The model of a type letter; nullptr for the linear elements.
const DeviceModel* DeviceModelFor(char type);
inline bool IsDevice(char type) { return DeviceModelFor(type) != nullptr; }

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
