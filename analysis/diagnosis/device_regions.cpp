// Regions of the nonlinear devices, with the thresholds their models and reports use.
#include "analysis/diagnosis/device_regions.h"

#include <cstdio>
#include <memory>

#include "analysis/analysis.h"
#include "analysis/element_stamps.h"
#include "common/c_text.h"
#include "common/fp_faults.h"
#include "common/message_log.h"

namespace talvor {

namespace {

// The segment of an N element's characteristic that holds voltage v, 1..3.
int Segment(const Element& e, double v)
{
    if (v < e.values[2])
        return 1;
    return v < e.values[4] ? 2 : 3;
}

// Junction voltages of a bipolar transistor in its forward sense (positive when direct).
void BipolarJunctions(const Element& e, const double* V, double& be, double& bc)
{
    const int C = e.a, B = e.b, E = e.c;
    const double sign = e.IsNType() ? 1 : -1;
    be = sign * (V[B] - V[E]);
    bc = sign * (V[B] - V[C]);
}

} // namespace

int DeviceRegion(const Element& e, const OperatingPoint& op)
{
    const double* V = op.V;
    switch (e.Type()) {
    case 'D': {
        const double v = V[e.a] - V[e.b];
        return v > op.vdmax ? 2 : v > 0 ? 1 : 0;
    }
    case 'N':
        return Segment(e, V[e.a] - V[e.b]);
    case 'Q': {
        double be, bc;
        BipolarJunctions(e, V, be, bc);
        return (be > 0 ? 1 : 0) + (bc > 0 ? 2 : 0);
    }
    case 'M':
        return e.x + 3; // the MOS orientation, -3..3 (never 0)
    default:
        return -1;
    }
}

std::string RegionWords(const Element& e, int region)
{
    switch (e.Type()) {
    case 'D':
        return region == 2 ? "direto acima de Vdmax" : region == 1 ? "direto" : "reverso";
    case 'N':
        return "trecho " + std::to_string(region);
    case 'Q': {
        static const char* const words[] = {"cortado", "ativo", "ativo reverso", "saturado"};
        return words[region & 3];
    }
    case 'M': {
        const int orientation = region - 3;
        const int magnitude = orientation < 0 ? -orientation : orientation;
        std::string words = magnitude == 1 ? "cortado" : magnitude == 2 ? "saturado" : "triodo";
        return orientation < 0 ? words + " invertido" : words;
    }
    default:
        return "";
    }
}

std::string DescribeDevice(const Element& e, const OperatingPoint& op)
{
    const double* V = op.V;
    char voltages[160] = "";
    switch (e.Type()) {
    case 'D':
        std::snprintf(voltages, sizeof voltages, "Vd=%g", V[e.a] - V[e.b]);
        break;
    case 'N':
        std::snprintf(voltages, sizeof voltages, "V=%g", V[e.a] - V[e.b]);
        break;
    case 'Q':
        std::snprintf(voltages, sizeof voltages, "Vbe=%g Vbc=%g", V[e.b] - V[e.c], V[e.b] - V[e.a]);
        break;
    case 'M': {
        const int D = e.x > 0 ? e.a : e.c, S = e.x > 0 ? e.c : e.a;
        std::snprintf(voltages, sizeof voltages, "Vgs=%g Vds=%g", V[e.b] - V[S], V[D] - V[S]);
        break;
    }
    default:
        break;
    }
    return std::string(DisplayText(e.name).c_str()) + " (" + RegionWords(e, DeviceRegion(e, op)) +
           ", " + voltages + ")";
}

namespace {

class QuietSink : public MessageSink {
public:
    void WriteLine(std::string_view) override {}
};

// The replay's own iterate, elements, their regions at the previous iterate, and system.
struct ReplayState {
    OperatingPoint op;
    Element elements[MaxElements + 1];
    int lastRegion[MaxElements + 1];
    MnaSystem mna;
};

} // namespace

void ReplayIterations(const Analysis& analysis, int iterations, RegionHistory& history)
{
    const Circuit& circuit = analysis.circuit;
    const int n = circuit.variableCount;
    auto state = std::make_unique<ReplayState>();
    state->op = analysis.op;
    state->op.initialConduction = false;
    for (int k = 1; k <= circuit.elementCount; ++k) {
        state->elements[k] = circuit.element(k);
        history.changes[k] = 0;
        history.seen[k] = 0;
    }
    QuietSink quietSink; // the solver's pivot warnings were the run's to give
    MessageLog quiet(quietSink);
    for (int iteration = 0; iteration < iterations; ++iteration) {
        state->mna.Clear(n);
        ClearFpFaults();
        for (int k = 1; k <= circuit.elementCount; ++k) {
            Element& e = state->elements[k];
            StampElementDc(state->op, analysis.Settings(), e, state->mna);
            const int region = DeviceRegion(e, state->op);
            if (region < 0)
                continue;
            if (iteration == 0)
                history.atLast[k] = e;
            else if (region != state->lastRegion[k])
                ++history.changes[k];
            state->lastRegion[k] = region;
            history.seen[k] |= 1u << region;
        }
        if (FpFaultRaised() || state->mna.SolveMna(quiet) != 0 || FpFaultRaised())
            return;
        for (int k = 1; k <= n; ++k)
            state->op.V[k] = state->mna.Solution(k).re;
    }
}

} // namespace talvor
