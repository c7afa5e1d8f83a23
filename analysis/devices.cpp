// Companion models, capacitances, reports and small-signal stamps of D, N, Q and M; the value
// slots are listed in devices.h.
#include "analysis/devices.h"

#include <algorithm>
#include <cmath>

#include "common/c_text.h"
#include "common/fp_faults.h"
#include "common/message_log.h"

namespace {

// Bulk diodes of MOS transistors and the reference of the direct junction capacitance.
constexpr double BulkIs = 1e-9;
constexpr double BulkVt = 0.043429445;
constexpr double InitialJunctionVoltage = 0.6;
constexpr double InitialMosVgs = 2;
constexpr double InitialMosVbs = 0.6;

Complex Real(double value) { return {value, 0}; }
Complex Imaginary(double value) { return {0, value}; }

bool IsNType(const Element& e) { return e.y == 'N'; }

void StampDiode(const DeviceContext& context, Element& e)
{
    double* v = e.values;
    const Junction j = StampJunction(context, e.a, e.b, v[DiodeSlot::Is], v[DiodeSlot::VT]);
    v[DiodeSlot::Gd] = j.G;
    v[DiodeSlot::Ieq] = j.I0;
}

// Three straight segments through four points; the outer ones extend without limit.
void StampPiecewiseLinear(const DeviceContext& context, Element& e)
{
    double* v = e.values;
    const double* V = context.op.V;
    const double voltage = V[e.a] - V[e.b];
    int first = 0; // index of the segment's lower point, 0..2
    if (voltage >= v[2])
        first = voltage < v[4] ? 1 : 2;
    const double vL = v[2 * first], iL = v[2 * first + 1];
    const double vH = v[2 * first + 2], iH = v[2 * first + 3];
    const double gn = (iH - iL) / (vH - vL);
    const double i0 = iL - gn * vL;
    context.mna.StampAdmittance(e.a, e.b, Real(gn));
    context.mna.StampCurrentSource(e.a, e.b, Real(i0));
    v[PwlSlot::Gn] = gn;
}

// Ebers-Moll with the Early effect; the pnp form mirrors the junctions and the current sources.
void StampBipolar(const DeviceContext& context, Element& e)
{
    using namespace BipolarSlot;
    double* v = e.values;
    const double* V = context.op.V;
    MnaSystem& mna = context.mna;
    const int C = e.a, B = e.b, E = e.c;
    const bool npn = IsNType(e);
    const double alfaV = v[alfa], alfarV = v[alfar];

    const Junction be = npn ? StampJunction(context, B, E, v[Isbe], v[VTbe])
                            : StampJunction(context, E, B, v[Isbe], v[VTbe]);
    if (npn)
        mna.StampCurrentSource(C, B, Real(alfaV * be.I0));
    else
        mna.StampCurrentSource(B, C, Real(alfaV * be.I0));
    mna.StampTransadmittance(C, B, B, E, Real(alfaV * be.G));

    const Junction bc = npn ? StampJunction(context, B, C, v[Isbc], v[VTbc])
                            : StampJunction(context, C, B, v[Isbc], v[VTbc]);
    if (npn)
        mna.StampCurrentSource(E, B, Real(alfarV * bc.I0));
    else
        mna.StampCurrentSource(B, E, Real(alfarV * bc.I0));
    mna.StampTransadmittance(E, B, B, C, Real(alfarV * bc.G));

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

// Shichman-Hodges with body effect and channel-length modulation, symmetric in drain and
// source: the terminal at the higher voltage (lower for p-channel) acts as the drain.
void StampMos(const DeviceContext& context, Element& e)
{
    using namespace MosSlot;
    double* v = e.values;
    const double* V = context.op.V;
    const AnalysisSettings& settings = context.settings;
    MnaSystem& mna = context.mna;
    const bool nChannel = IsNType(e);
    const double s = nChannel ? 1 : -1;
    const int G = e.b, B = e.d;

    const bool asWritten = nChannel ? V[e.a] > V[e.c] : V[e.a] < V[e.c];
    const int D = asWritten ? e.a : e.c;
    const int S = asWritten ? e.c : e.a;
    int orientation = asWritten ? 1 : -1;

    if (settings.CBdiodos) {
        if (nChannel) {
            StampJunction(context, B, S, BulkIs, BulkVt);
            StampJunction(context, B, D, BulkIs, BulkVt);
        } else {
            StampJunction(context, S, B, BulkIs, BulkVt);
            StampJunction(context, D, B, BulkIs, BulkVt);
        }
    }

    const double vgs = context.op.initialConduction ? InitialMosVgs : s * (V[G] - V[S]);
    const double vbs = context.op.initialConduction ? InitialMosVbs : s * (V[B] - V[S]);
    const double r = std::sqrt(v[Fi] - std::min(vbs, 0.0));
    const double vt = v[VT0] + v[Gama] * (r - std::sqrt(v[Fi]));

    double gm = 0, gds = 0, gmb = 0, ieq = 0;
    if (vgs > vt) {
        const double vds = s * (V[D] - V[S]);
        const double beta = v[K] * v[W] / v[L];
        const double lambda = v[Lambda];
        const double vov = vgs - vt;
        double id;
        if (vov >= vds) { // triode
            gm = 2 * beta * vds * (1 + lambda * vds);
            gds = beta * (2 * vov - 2 * vds + 4 * lambda * vov * vds - 3 * lambda * vds * vds);
            id = beta * (2 * vov * vds - vds * vds) * (1 + lambda * vds);
            orientation *= 3;
        } else { // saturation
            gm = 2 * beta * vov * (1 + lambda * vds);
            gds = beta * (vov * vov) * lambda;
            id = beta * (vov * vov) * (1 + lambda * vds);
            orientation *= 2;
        }
        gmb = gm * v[Gama] / (2 * r);
        ieq = s * (id - gm * vgs - gds * vds - gmb * vbs);
        mna.StampTransadmittance(D, S, G, S, Real(gm));
        mna.StampTransadmittance(D, S, B, S, Real(gmb));
        mna.StampAdmittance(D, S, Real(gds));
        mna.StampCurrentSource(D, S, Real(ieq));
    }
    v[Gm] = gm;
    v[Gds] = gds;
    v[Gmb] = gmb;
    v[Ieq] = ieq;
    e.x = orientation;

    // g0 stands for the gate capacitances at DC.
    const Complex g0 = Real(context.op.g0);
    if (settings.CBcmos) {
        mna.StampAdmittance(G, S, g0);
        mna.StampAdmittance(G, D, g0);
    }
    if (settings.CBcgb)
        mna.StampAdmittance(G, B, g0);
}

// Effective drain and source after the last iteration.
void MosTerminals(const Element& e, int& D, int& S)
{
    D = e.x > 0 ? e.a : e.c;
    S = e.x > 0 ? e.c : e.a;
}

bool ReportMos(Element& e, const double* V, MessageLog& log)
{
    using namespace MosSlot;
    MosCapacitances(e);
    const double* v = e.values;
    int D, S;
    MosTerminals(e, D, S);
    const int G = e.b, B = e.d;
    const double vgs = V[G] - V[S], vds = V[D] - V[S], vbs = V[B] - V[S];
    const double id = v[Gm] * vgs + v[Ieq] + v[Gds] * vds + v[Gmb] * vbs;
    if (FpFaultRaised())
        return false;
    const int region = e.x < 0 ? -e.x : e.x;
    const char* regionWord = region == 1 ? "cortado" : region == 2 ? "saturado" : "triodo";
    log.AppendLog("%s: %c %s %s Gm=%g Gds=%g Gmb=%g Cgs=%g Cgd=%g Cgb=%g Vgs=%g Vds=%g Vbs=%g "
                  "Id=%g",
                  DisplayText(e.name).c_str(), static_cast<char>(e.y),
                  e.x > 0 ? "normal" : "invertido", regionWord, v[Gm], v[Gds], v[Gmb], v[Cgs],
                  v[Cgd], v[Cgb], vgs, vds, vbs, id);
    return true;
}

bool ReportDiode(Element& e, const double* V, MessageLog& log)
{
    using namespace DiodeSlot;
    double* v = e.values;
    const JunctionCharge j = JunctionCapacitance(V, e.a, e.b, v[Gd], v[Ieq], v[C0], v[C1]);
    v[Cdtotal] = j.total;
    if (FpFaultRaised())
        return false;
    log.AppendLog("%s: %s Vd=%g Id=%g Gd=%g Cdrev=%g Cddir=%g Cdtotal=%g",
                  DisplayText(e.name).c_str(), j.v > 0 ? "direto" : "reverso", j.v, j.I, v[Gd],
                  j.Crev, j.Cdir, j.total);
    return true;
}

bool ReportBipolar(Element& e, const double* V, MessageLog& log)
{
    using namespace BipolarSlot;
    double* v = e.values;
    const int C = e.a, B = e.b, E = e.c;
    const bool npn = IsNType(e);
    const double vbe = V[B] - V[E], vbc = V[B] - V[C], vce = vbe - vbc;
    double ibe, ibc, ic;
    if (npn) {
        ibe = vbe * v[Gbe] + v[Ieqbe];
        ibc = vbc * v[Gbc] + v[Ieqbc];
        ic = (1 + vce / v[VA]) * (v[alfa] * ibe - ibc);
    } else {
        ibe = vbe * v[Gbe] - v[Ieqbe];
        ibc = vbc * v[Gbc] - v[Ieqbc];
        ic = (1 - vce / v[VA]) * (v[alfa] * ibe - ibc);
    }
    const double ib = ibe + ibc - v[alfa] * ibe - v[alfar] * ibc;
    const JunctionCharge be =
        npn ? JunctionCapacitance(V, B, E, v[Gbe], v[Ieqbe], v[C0be], v[C1be])
            : JunctionCapacitance(V, E, B, v[Gbe], v[Ieqbe], v[C0be], v[C1be]);
    const JunctionCharge bc =
        npn ? JunctionCapacitance(V, B, C, v[Gbc], v[Ieqbc], v[C0bc], v[C1bc])
            : JunctionCapacitance(V, C, B, v[Gbc], v[Ieqbc], v[C0bc], v[C1bc]);
    v[Cbe] = be.total;
    v[Cbc] = bc.total;
    if (FpFaultRaised())
        return false;
    log.AppendLog("%s: tipo=%c Vbe=%+g Vbc= %+g Vce=%+g Ibe=%+g Ibc=%+g Ic=%+g Ib=%+g Cbe=%g "
                  "Cbc=%g",
                  DisplayText(e.name).c_str(), static_cast<char>(e.y), vbe, vbc, vce, ibe, ibc, ic,
                  ib, v[Cbe], v[Cbc]);
    return true;
}

} // namespace

bool IsDevice(char type) { return type == 'D' || type == 'N' || type == 'Q' || type == 'M'; }

Junction StampJunction(const DeviceContext& context, int a, int b, double Is, double Vt)
{
    const double* V = context.op.V;
    double v = context.op.initialConduction ? InitialJunctionVoltage : V[a] - V[b];
    if (v > context.op.vdmax)
        v = context.op.vdmax;
    const double e = std::exp(v / Vt);
    const double G = Is * e / Vt;
    const double I0 = Is * (e - 1) - G * v;
    context.mna.StampAdmittance(a, b, Real(G));
    context.mna.StampCurrentSource(a, b, Real(I0));
    if (context.settings.CBcdiodos) // g0 stands for the junction capacitance at DC
        context.mna.StampAdmittance(a, b, Real(context.op.g0));
    return {G, I0};
}

void StampDevice(const DeviceContext& context, Element& element)
{
    switch (element.Type()) {
    case 'D':
        StampDiode(context, element);
        break;
    case 'N':
        StampPiecewiseLinear(context, element);
        break;
    case 'Q':
        StampBipolar(context, element);
        break;
    case 'M':
        StampMos(context, element);
        break;
    default:
        break;
    }
}

JunctionCharge JunctionCapacitance(const double* V, int a, int b, double G, double I0, double C0,
                                   double C1)
{
    JunctionCharge j;
    j.v = V[a] - V[b];
    j.I = G * j.v + I0;
    // Built-in voltage 0.6 V; the reverse formula is held at its 0.3 V value above that.
    j.Crev = j.v < 0.3 ? C0 / std::sqrt(1 - j.v * 1.6666666666666667) : C0 / std::sqrt(0.5);
    // Diffusion capacitance against a fixed 1 nA reference current.
    j.Cdir = j.v > 0 ? C1 * j.I * 1e9 : 0;
    j.total = j.Crev + j.Cdir;
    return j;
}

void MosCapacitances(Element& e)
{
    using namespace MosSlot;
    double* v = e.values;
    const double mobility = IsNType(e) ? 0.05 : 0.02;
    const double cox = 2 * v[K] / mobility;
    const double overlap = cox * v[W] * v[Ld];
    const double channel = cox * v[W] * v[L];
    const int region = e.x < 0 ? -e.x : e.x;
    double cgs, cgd, cgb;
    if (region == 2) { // saturation: channel charge at the source
        cgs = overlap + 0.6666666666666666 * channel;
        cgd = overlap;
        cgb = 0;
    } else if (region == 3) { // triode: channel charge split between source and drain
        cgs = overlap + 0.5 * channel;
        cgd = overlap + 0.5 * channel;
        cgb = 0;
    } else { // cut-off: the gate sees the bulk
        cgs = overlap;
        cgd = overlap;
        cgb = channel;
    }
    v[Cgs] = cgs;
    v[Cgd] = cgd;
    v[Cgb] = cgb;
}

bool ReportDevice(Element& element, const double* V, MessageLog& log)
{
    switch (element.Type()) {
    case 'M':
        return ReportMos(element, V, log);
    case 'D':
        return ReportDiode(element, V, log);
    case 'Q':
        return ReportBipolar(element, V, log);
    default:
        return true;
    }
}

void StampDeviceAc(const Element& e, double omega, const AnalysisSettings& settings, MnaSystem& mna)
{
    const double* v = e.values;
    switch (e.Type()) {
    case 'N':
        mna.StampAdmittance(e.a, e.b, Real(v[PwlSlot::Gn]));
        break;
    case 'D':
        mna.StampAdmittance(e.a, e.b, Real(v[DiodeSlot::Gd]));
        if (settings.CBcdiodos)
            mna.StampAdmittance(e.a, e.b, Imaginary(omega * v[DiodeSlot::Cdtotal]));
        break;
    case 'Q': { // the stored values carry the pnp signs, so one stamp serves both types
        using namespace BipolarSlot;
        const int C = e.a, B = e.b, E = e.c;
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
        break;
    }
    case 'M': { // bulk diodes of the operating point have no small-signal part
        using namespace MosSlot;
        int D, S;
        MosTerminals(e, D, S);
        const int G = e.b, B = e.d;
        mna.StampTransadmittance(D, S, G, S, Real(v[Gm]));
        mna.StampAdmittance(D, S, Real(v[Gds]));
        mna.StampTransadmittance(D, S, B, S, Real(v[Gmb]));
        if (settings.CBcmos) {
            mna.StampAdmittance(G, S, Imaginary(omega * v[Cgs]));
            mna.StampAdmittance(G, D, Imaginary(omega * v[Cgd]));
        }
        if (settings.CBcgb)
            mna.StampAdmittance(G, B, Imaginary(omega * v[Cgb]));
        break;
    }
    default:
        break;
    }
}
