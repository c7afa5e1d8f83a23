// The runs of a stepped or Monte Carlo analysis: the request's targets looked up in the netlist
// as read, and every run's values, stepped or drawn, before any run starts.
#pragma once

#include <string>
#include <vector>

#include "netlist/netlist_reader.h"
#include "steps/step_request.h"

namespace talvor {

class MessageLog;
struct Circuit;

// A value that the runs vary: a slot of an element, with the netlist's value.
struct VariedValue {
    std::string element;
    int slot = 0;
    std::string label;    // "R1" for a main value, "Q1.VA" for a slot named in the request
    double nominal = 0;   // in the line's unit
    double tolerance = 0; // Monte Carlo: the fraction it is drawn within
};

struct StepPlan {
    bool monteCarlo = false;
    std::vector<VariedValue> varied;
    std::vector<std::vector<double>> values; // values[run][k] for varied[k], runs from 0

    int RunCount() const { return static_cast<int>(values.size()); }
    // What run (from 0) writes over the netlist's values as it is read.
    std::vector<ValueOverride> Overrides(int run) const;
    // "R1 = 2200" or "R1 = 1023.4, C1 = 1.02e-06": the values of run.
    std::string Describe(int run) const;
};

// Looks the request's targets up in the circuit that the netlist gave and fills plan: a step's
// values as asked, or every Monte Carlo run's values drawn from the request's seed (the same
// seed gives the same values, whatever runs in parallel later). False, after one log line
// saying why, when a target is not in the netlist or has no such value.
bool PlanSteps(const StepRequest& request, const Circuit& circuit, MessageLog& log, StepPlan& plan);

// An element whose values a run may vary: its name and, per value, its name (as the table of
// element types names it) and the netlist's value in the line's unit.
struct VariableElement {
    std::string name;
    int mainSlot = -1; // -1: none
    std::vector<std::string> valueNames;
    std::vector<double> values;
};

// The elements of the circuit that have values, in netlist order.
std::vector<VariableElement> VariableElements(const Circuit& circuit);

// A value drawn within fraction of nominal: u is uniform in [-1, 1) for Uniform, standard normal
// for Gauss (three standard deviations make the tolerance).
double DrawnValue(double nominal, double fraction, Distribution distribution, double u);

// The seeded generator of the draws: SplitMix64, the same numbers on every platform.
class DrawGenerator {
public:
    explicit DrawGenerator(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    double Uniform(); // in [-1, 1)
    double Normal();  // standard normal, by the Box-Muller transform

private:
    std::uint64_t state_;
};

} // namespace talvor
