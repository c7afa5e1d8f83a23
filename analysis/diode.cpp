// The diode D: companion model, capacitance, operating-conditions line and small-signal stamp.
// Value slots and units: diode.h.
#include "analysis/diode.h"

#include <cstdio>

#include "analysis/junction.h"
#include "common/c_text.h"
#include "common/fp_faults.h"
#include "common/message_log.h"

namespace talvor {

using namespace DiodeSlot;

void StampDiode(const DeviceContext& context, Element& diode)
{
    double* v = diode.values;
    const Junction j = StampJunction(context, diode.a, diode.b, v[Is], v[VT]);
    v[Gd] = j.G;
    v[Ieq] = j.I0;
}

void StoreDiodeCapacitance(Element& diode, const double* V)
{
    double* v = diode.values;
    v[Cdtotal] = JunctionCapacitance(V, diode.a, diode.b, v[Gd], v[Ieq], v[C0], v[C1]).total;
}

bool LogDiode(const Element& diode, const double* V, MessageLog& log)
{
    const double* v = diode.values;
    const JunctionCharge j = JunctionCapacitance(V, diode.a, diode.b, v[Gd], v[Ieq], v[C0], v[C1]);
    if (FpFaultRaised())
        return false;
    log.AppendLog("%s: %s Vd=%g Id=%g Gd=%g Cdrev=%g Cddir=%g Cdtotal=%g",
                  DisplayText(diode.name).c_str(), j.v > 0 ? "direto" : "reverso", j.v, j.I, v[Gd],
                  j.Crev, j.Cdir, j.total);
    return true;
}

void StampDiodeAc(const Element& diode, double omega, const AnalysisSettings& settings,
                  MnaSystem& mna)
{
    const double* v = diode.values;
    mna.StampAdmittance(diode.a, diode.b, Real(v[Gd]));
    if (settings.CBcdiodos)
        mna.StampAdmittance(diode.a, diode.b, Imaginary(omega * v[Cdtotal]));
}

int DiodeRegion(const Element& diode, const OperatingPoint& op)
{
    const double v = op.V[diode.a] - op.V[diode.b];
    return v > op.vdmax ? 2 : v > 0 ? 1 : 0;
}

std::string DiodeRegionWords(int region)
{
    return region == 2 ? "direto acima de Vdmax" : region == 1 ? "direto" : "reverso";
}

std::string DiodeVoltages(const Element& diode, const double* V)
{
    char text[64];
    std::snprintf(text, sizeof text, "Vd=%g", V[diode.a] - V[diode.b]);
    return text;
}

} // namespace talvor
