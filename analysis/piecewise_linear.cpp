// The piecewise-linear resistor N: companion model and small-signal stamp. Value slots and
// units: piecewise_linear.h.
#include "analysis/piecewise_linear.h"

namespace talvor {

using namespace PwlSlot;

void StampPiecewiseLinear(const DeviceContext& context, Element& resistor)
{
    const double* point = resistor.values + FirstPoint; // v1, i1, v2, i2, ...
    const double* V = context.op.V;
    const double voltage = V[resistor.a] - V[resistor.b];
    int first = 0; // index of the segment's lower point, 0..2
    if (voltage >= point[2])
        first = voltage < point[4] ? 1 : 2;
    const double vL = point[2 * first], iL = point[2 * first + 1];
    const double vH = point[2 * first + 2], iH = point[2 * first + 3];
    const double gn = (iH - iL) / (vH - vL);
    const double i0 = iL - gn * vL;
    context.mna.StampAdmittance(resistor.a, resistor.b, Real(gn));
    context.mna.StampCurrentSource(resistor.a, resistor.b, Real(i0));
    resistor.values[Gn] = gn;
}

void StampPiecewiseLinearAc(const Element& resistor, MnaSystem& mna)
{
    mna.StampAdmittance(resistor.a, resistor.b, Real(resistor.values[Gn]));
}

} // namespace talvor
