// The regions of the nonlinear devices, as their models tell them, and the iterations replayed
// to watch them change.
#include "analysis/diagnosis/device_regions.h"

#include <memory>

#include "analysis/analysis.h"
#include "analysis/devices.h"
#include "analysis/element_stamps.h"
#include "common/c_text.h"
#include "common/fp_faults.h"
#include "common/message_log.h"

namespace talvor {

int DeviceRegion(const Element& e, const OperatingPoint& op)
{
    const DeviceModel* model = DeviceModelFor(e.Type());
    return model != nullptr ? model->region(e, op) : -1;
}

std::string RegionWords(const Element& e, int region)
{
    const DeviceModel* model = DeviceModelFor(e.Type());
    return model != nullptr ? model->regionWords(region) : "";
}

std::string DescribeDevice(const Element& e, const OperatingPoint& op)
{
    const DeviceModel* model = DeviceModelFor(e.Type());
    if (model == nullptr)
        return DisplayText(e.name).c_str();
    return std::string(DisplayText(e.name).c_str()) + " (" +
           model->regionWords(model->region(e, op)) + ", " + model->voltages(e, op.V) + ")";
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
