// The bipolar transistor Q: companion model, junction capacitances, operating-conditions line and
// small-signal stamp. Value slots and units: bipolar.h.
#include "analysis/bipolar.h"

#include <cstdio>

#include "analysis/junction.h"
#include "common/c_text.h"
#include "common/fp_faults.h"
#include "common/message_log.h"

namespace talvor {

using namespace BipolarSlot;

namespace {

// One Ebers-Moll junction, from the base B to terminal t (from t to B in a pnp), and the current
// it drives, gain times its own, from terminal o into the base (the reverse in a pnp).
Junction StampJunctionWithTransfer(const DeviceContext& context, bool npn, int B, int t, int o,
                                   double Is, double Vt, double gain)
{
    MnaSystem& mna = context.mna;
    const Junction j =
        npn ? StampJunction(context, B, t, Is, Vt) : StampJunction(context, t, B, Is, Vt);
    if (npn)
        mna.StampCurrentSource(o, B, Real(gain * j.I0));
    else
        mna.StampCurrentSource(B, o, Real(gain * j.I0));
    mna.StampTransadmittance(o, B, B, t, Real(gain * j.G));
    return j;
}

} // namespace

// The pnp form mirrors the junctions and the current sources.
void StampBipolar(const DeviceContext& context, Element& transistor)
{
    double* v = transistor.values;
    const double* V = context.op.V;
    MnaSystem& mna = context.mna;
    const int C = transistor.a, B = transistor.b, E = transistor.c;
    const bool npn = transistor.IsNType();
    const double alfaV = v[alfa], alfarV = v[alfar];

    const Junction be = StampJunctionWithTransfer(context, npn, B, E, C, v[Isbe], v[VTbe], alfaV);
    const Junction bc = StampJunctionWithTransfer(context, npn, B, C, E, v[Isbc], v[VTbc], alfarV);

    // The collector current alfa·Ibe − Ibc grows by the factor 1 + |Vce|/VA in the forward
    // sense; linearised here only while Vce has the forward sign.
    double geBe = 0, geBc = 0, geCe = 0;
    const double vce = V[C] - V[E];
    if (npn ? vce > 0 : vce < 0) {
        const double vbe = V[B] - V[E], vbc = V[B] - V[C];
        const double va = v[VA];
        if (npn) {
            const double ibe = be.G * vbe + be.I0, ibc = bc.G * vbc + bc.I0;
            geBe = alfaV * be.G * vce / va;
            geBc = -bc.G * vce / va;
            geCe = (alfaV * ibe - ibc) / va;
        } else {
            const double ibe = be.G * vbe - be.I0, ibc = bc.G * vbc - bc.I0;
            geBe = -alfaV * be.G * vce / va;
            geBc = bc.G * vce / va;
            geCe = -(alfaV * ibe - ibc) / va;
        }
        mna.StampTransadmittance(C, E, B, E, Real(geBe));
        mna.StampTransadmittance(C, E, B, C, Real(geBc));
        mna.StampAdmittance(C, E, Real(geCe));
        mna.StampCurrentSource(C, E, Real(-(geBe * vbe + geBc * vbc)));
    }
    v[Gbe] = be.G;
    v[Ieqbe] = be.I0;
    v[Gbc] = bc.G;
    v[Ieqbc] = bc.I0;
    v[GEbe] = geBe;
    v[GEbc] = geBc;
    v[GEce] = geCe;
}

// Each junction with the anode and cathode its companion model took.
void StoreBipolarCapacitances(Element& transistor, const double* V)
{
    double* v = transistor.values;
    const int C = transistor.a, B = transistor.b, E = transistor.c;
    const bool npn = transistor.IsNType();
    const JunctionCharge be =
        npn ? JunctionCapacitance(V, B, E, v[Gbe], v[Ieqbe], v[C0be], v[C1be])
            : JunctionCapacitance(V, E, B, v[Gbe], v[Ieqbe], v[C0be], v[C1be]);
    const JunctionCharge bc =
        npn ? JunctionCapacitance(V, B, C, v[Gbc], v[Ieqbc], v[C0bc], v[C1bc])
            : JunctionCapacitance(V, C, B, v[Gbc], v[Ieqbc], v[C0bc], v[C1bc]);
    v[Cbe] = be.total;
    v[Cbc] = bc.total;
}

bool LogBipolar(const Element& transistor, const double* V, MessageLog& log)
{
    const double* v = transistor.values;
    const int C = transistor.a, B = transistor.b, E = transistor.c;
    const double vbe = V[B] - V[E], vbc = V[B] - V[C], vce = vbe - vbc;
    double ibe, ibc, ic;
    if (transistor.IsNType()) {
        ibe = vbe * v[Gbe] + v[Ieqbe];
        ibc = vbc * v[Gbc] + v[Ieqbc];
        ic = (1 + vce / v[VA]) * (v[alfa] * ibe - ibc);
    } else {
        ibe = vbe * v[Gbe] - v[Ieqbe];
        ibc = vbc * v[Gbc] - v[Ieqbc];
        ic = (1 - vce / v[VA]) * (v[alfa] * ibe - ibc);
    }
    const double ib = ibe + ibc - v[alfa] * ibe - v[alfar] * ibc;
    if (FpFaultRaised())
        return false;
    log.AppendLog("%s: tipo=%c Vbe=%+g Vbc= %+g Vce=%+g Ibe=%+g Ibc=%+g Ic=%+g Ib=%+g Cbe=%g "
                  "Cbc=%g",
                  DisplayText(transistor.name).c_str(), static_cast<char>(transistor.y), vbe, vbc,
                  vce, ibe, ibc, ic, ib, v[Cbe], v[Cbc]);
    return true;
}

// The stored values carry the pnp signs, so one stamp serves both types.
void StampBipolarAc(const Element& transistor, double omega, const AnalysisSettings& settings,
                    MnaSystem& mna)
{
    const double* v = transistor.values;
    const int C = transistor.a, B = transistor.b, E = transistor.c;
    mna.StampAdmittance(B, E, Real(v[Gbe]));
    mna.StampAdmittance(B, C, Real(v[Gbc]));
    mna.StampTransadmittance(C, B, B, E, Real(v[alfa] * v[Gbe]));
    mna.StampTransadmittance(E, B, B, C, Real(v[alfar] * v[Gbc]));
    mna.StampTransadmittance(C, E, B, E, Real(v[GEbe]));
    mna.StampTransadmittance(C, E, B, C, Real(v[GEbc]));
    mna.StampAdmittance(C, E, Real(v[GEce]));
    if (settings.CBcdiodos) {
        mna.StampAdmittance(B, E, Imaginary(omega * v[Cbe]));
        mna.StampAdmittance(B, C, Imaginary(omega * v[Cbc]));
    }
}

int BipolarRegion(const Element& transistor, const OperatingPoint& op)
{
    const double* V = op.V;
    const int C = transistor.a, B = transistor.b, E = transistor.c;
    const double sign = transistor.IsNType() ? 1 : -1;
    const double be = sign * (V[B] - V[E]), bc = sign * (V[B] - V[C]);
    return (be > 0 ? 1 : 0) + (bc > 0 ? 2 : 0);
}

std::string BipolarRegionWords(int region)
{
    static const char* const words[] = {"cortado", "ativo", "ativo reverso", "saturado"};
    return words[region & 3];
}

// The raw V(B) − V(E) and V(B) − V(C), whatever the type.
std::string BipolarVoltages(const Element& transistor, const double* V)
{
    const int C = transistor.a, B = transistor.b, E = transistor.c;
    char text[96];
    std::snprintf(text, sizeof text, "Vbe=%g Vbc=%g", V[B] - V[E], V[B] - V[C]);
    return text;
}

} // namespace talvor
