// The exponential junction: companion model and capacitances.
#include "analysis/junction.h"

#include <cmath>

namespace talvor {

namespace {

constexpr double InitialJunctionVoltage = 0.6;

} // namespace

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

} // namespace talvor
