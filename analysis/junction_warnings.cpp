// Warnings about junctions left on the straight-line part of their model.
#include "analysis/junction_warnings.h"

#include "analysis/analysis.h"
#include "analysis/analysis_settings.h"
#include "analysis/bipolar.h"
#include "analysis/diode.h"
#include "analysis/junction.h"
#include "common/c_text.h"
#include "common/message_log.h"

namespace talvor {

namespace {

// A junction at the operating point: anode to cathode voltage and current, its thermal voltage.
struct JunctionState {
    const char* what; // "o diodo", "a junção base-emissor de", ...
    double v, I, vt;
};

JunctionState AtOperatingPoint(const char* what, const double* V, int anode, int cathode, double G,
                               double I0, double vt)
{
    const JunctionCharge j = JunctionCapacitance(V, anode, cathode, G, I0, 0, 0);
    return {what, j.v, j.I, vt};
}

void WarnIfFarAbove(Analysis& analysis, const Element& element, const JunctionState& j)
{
    const double vdmax = analysis.op.vdmax;
    if (!(j.vt > 0) || !(j.v > vdmax + FarAboveVdmaxInVT * j.vt))
        return;
    analysis.log.AppendLog(
        "Aviso: %s %s conduz %g A com %g V, muito acima de Vdmax = %g V, onde a exponencial "
        "continua como reta: esse ponto de operação pode não ser físico. Tente um valor maior "
        "em \"%s\" (%s).",
        j.what, DisplayText(element.name).c_str(), j.I, j.v, vdmax, EvdmaxWords.label,
        EvdmaxWords.option);
}

} // namespace

void WarnJunctionsFarAboveVdmax(Analysis& analysis)
{
    const Circuit& circuit = analysis.circuit;
    const double* V = analysis.op.V;
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        const double* v = e.values;
        if (e.Type() == 'D') {
            using namespace DiodeSlot;
            WarnIfFarAbove(analysis, e,
                           AtOperatingPoint("o diodo", V, e.a, e.b, v[Gd], v[Ieq], v[VT]));
        } else if (e.Type() == 'Q') {
            using namespace BipolarSlot;
            // The companion values of a pnp belong to its mirrored junctions.
            const bool npn = e.y == 'N';
            const int C = e.a, B = e.b, E = e.c;
            WarnIfFarAbove(analysis, e,
                           AtOperatingPoint("a junção base-emissor de", V, npn ? B : E, npn ? E : B,
                                            v[Gbe], v[Ieqbe], v[VTbe]));
            WarnIfFarAbove(analysis, e,
                           AtOperatingPoint("a junção base-coletor de", V, npn ? B : C, npn ? C : B,
                                            v[Gbc], v[Ieqbc], v[VTbc]));
        }
    }
}

} // namespace talvor
