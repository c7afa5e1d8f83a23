// The operating region of a nonlinear device at an iterate, as its model tells it (devices.h):
// diodes direct or reverse (and direct beyond Vdmax, where the model is a straight line), bipolar
// transistors by their two junctions, MOS transistors by the region their model chose,
// piecewise-linear resistors by segment; and the iterations replayed to watch it change.
#pragma once

#include <string>

#include "netlist/circuit.h"

namespace talvor {

class Analysis;
struct OperatingPoint;

// A small code of the region, 0..7, for D, N, Q and M at op's iterate; -1 for other elements. An
// M element must have been stamped there (its region is the one its model stored).
int DeviceRegion(const Element& element, const OperatingPoint& op);

// The words of a region code: "direto", "trecho 2", "ativo", "saturado invertido", ...
std::string RegionWords(const Element& element, int region);

// The device with its region and terminal voltages at op's iterate: "D1 (direto, Vd=0.65)".
std::string DescribeDevice(const Element& element, const OperatingPoint& op);

// Each device's region along Newton-Raphson iterations continued from the operating point's last
// iterate, without restarts.
struct RegionHistory {
    Element atLast[MaxElements + 1]; // the elements as stamped at the last iterate
    int changes[MaxElements + 1];    // how many times the region changed
    unsigned seen[MaxElements + 1];  // bit r set when region r was taken
};

// Iterates from the last iterate of a failed operating point on copies (the analysis is left as
// it is), for at most `iterations` solves; stops early at a failed solve.
void ReplayIterations(const Analysis& analysis, int iterations, RegionHistory& history);

} // namespace talvor
