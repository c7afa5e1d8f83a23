// The MOS transistor M: companion model, gate capacitances, operating-conditions line and
// small-signal stamp. Value slots and units: mos.h.
#include "analysis/mos.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/junction.h"
#include "common/c_text.h"
#include "common/fp_faults.h"
#include "common/message_log.h"

namespace talvor {

using namespace MosSlot;

namespace {

// The bulk diodes.
constexpr double BulkIs = 1e-9;
constexpr double BulkVt = 0.043429445;
// The control voltages of the initial-conduction state.
constexpr double InitialMosVgs = 2;
constexpr double InitialMosVbs = 0.6;

// Effective drain and source after the last iteration.
void MosTerminals(const Element& transistor, int& D, int& S)
{
    D = transistor.x > 0 ? transistor.a : transistor.c;
    S = transistor.x > 0 ? transistor.c : transistor.a;
}

int Region(const Element& transistor) { return transistor.x < 0 ? -transistor.x : transistor.x; }

const char* RegionWord(int region)
{
    return region == 1 ? "cortado" : region == 2 ? "saturado" : "triodo";
}

} // namespace

// The terminal at the higher voltage (lower for p-channel) acts as the drain.
void StampMos(const DeviceContext& context, Element& transistor)
{
    double* v = transistor.values;
    const double* V = context.op.V;
    const AnalysisSettings& settings = context.settings;
    MnaSystem& mna = context.mna;
    const bool nChannel = transistor.IsNType();
    const double s = nChannel ? 1 : -1;
    const int G = transistor.b, B = transistor.d;

    const bool asWritten =
        nChannel ? V[transistor.a] > V[transistor.c] : V[transistor.a] < V[transistor.c];
    const int D = asWritten ? transistor.a : transistor.c;
    const int S = asWritten ? transistor.c : transistor.a;
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
    transistor.x = orientation;

    // g0 stands for the gate capacitances at DC.
    const Complex g0 = Real(context.op.g0);
    if (settings.CBcmos) {
        mna.StampAdmittance(G, S, g0);
        mna.StampAdmittance(G, D, g0);
    }
    if (settings.CBcgb)
        mna.StampAdmittance(G, B, g0);
}

void MosCapacitances(Element& transistor)
{
    double* v = transistor.values;
    const double mobility = transistor.IsNType() ? 0.05 : 0.02;
    const double cox = 2 * v[K] / mobility;
    const double overlap = cox * v[W] * v[Ld];
    const double channel = cox * v[W] * v[L];
    const int region = Region(transistor);
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

void StoreMosCapacitances(Element& transistor, const double*) { MosCapacitances(transistor); }

bool LogMos(const Element& transistor, const double* V, MessageLog& log)
{
    const double* v = transistor.values;
    int D, S;
    MosTerminals(transistor, D, S);
    const int G = transistor.b, B = transistor.d;
    const double vgs = V[G] - V[S], vds = V[D] - V[S], vbs = V[B] - V[S];
    const double id = v[Gm] * vgs + v[Ieq] + v[Gds] * vds + v[Gmb] * vbs;
    if (FpFaultRaised())
        return false;
    log.AppendLog("%s: %c %s %s Gm=%g Gds=%g Gmb=%g Cgs=%g Cgd=%g Cgb=%g Vgs=%g Vds=%g Vbs=%g "
                  "Id=%g",
                  DisplayText(transistor.name).c_str(), static_cast<char>(transistor.y),
                  transistor.x > 0 ? "normal" : "invertido", RegionWord(Region(transistor)), v[Gm],
                  v[Gds], v[Gmb], v[Cgs], v[Cgd], v[Cgb], vgs, vds, vbs, id);
    return true;
}

// The bulk diodes of the operating point have no small-signal part.
void StampMosAc(const Element& transistor, double omega, const AnalysisSettings& settings,
                MnaSystem& mna)
{
    const double* v = transistor.values;
    int D, S;
    MosTerminals(transistor, D, S);
    const int G = transistor.b, B = transistor.d;
    mna.StampTransadmittance(D, S, G, S, Real(v[Gm]));
    mna.StampAdmittance(D, S, Real(v[Gds]));
    mna.StampTransadmittance(D, S, B, S, Real(v[Gmb]));
    if (settings.CBcmos) {
        mna.StampAdmittance(G, S, Imaginary(omega * v[Cgs]));
        mna.StampAdmittance(G, D, Imaginary(omega * v[Cgd]));
    }
    if (settings.CBcgb)
        mna.StampAdmittance(G, B, Imaginary(omega * v[Cgb]));
}

int MosRegion(const Element& transistor, const OperatingPoint&) { return transistor.x + 3; }

std::string MosRegionWords(int region)
{
    const int orientation = region - 3;
    const std::string words = RegionWord(orientation < 0 ? -orientation : orientation);
    return orientation < 0 ? words + " invertido" : words;
}

std::string MosVoltages(const Element& transistor, const double* V)
{
    int D, S;
    MosTerminals(transistor, D, S);
    char text[96];
    std::snprintf(text, sizeof text, "Vgs=%g Vds=%g", V[transistor.b] - V[S], V[D] - V[S]);
    return text;
}

} // namespace talvor
