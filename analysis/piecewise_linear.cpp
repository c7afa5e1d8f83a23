// The piecewise-linear resistor N: companion model and small-signal stamp. Value slots and
// units: piecewise_linear.h.
#include "analysis/piecewise_linear.h"

#include <cstdio>

namespace talvor {

using namespace PwlSlot;

namespace {

// The index of the lower point of the segment that holds voltage v, 0..2: segment 1 lies below
// v2, segment 3 from v3 up, the outer ones extended without limit.
int LowerPoint(const Element& resistor, double v)
{
    const double* point = resistor.values + FirstPoint; // v1, i1, v2, i2, ...
    if (!(v >= point[2]))
        return 0;
    return v < point[4] ? 1 : 2;
}

double Voltage(const Element& resistor, const double* V) { return V[resistor.a] - V[resistor.b]; }

} // namespace

void StampPiecewiseLinear(const DeviceContext& context, Element& resistor)
{
    const double* point = resistor.values + FirstPoint;
    const int first = LowerPoint(resistor, Voltage(resistor, context.op.V));
    const double vL = point[2 * first], iL = point[2 * first + 1];
    const double vH = point[2 * first + 2], iH = point[2 * first + 3];
    const double gn = (iH - iL) / (vH - vL);
    const double i0 = iL - gn * vL;
    context.mna.StampAdmittance(resistor.a, resistor.b, Real(gn));
    context.mna.StampCurrentSource(resistor.a, resistor.b, Real(i0));
    resistor.values[Gn] = gn;
}

void StampPiecewiseLinearAc(const Element& resistor, double, const AnalysisSettings&,
                            MnaSystem& mna)
{
    mna.StampAdmittance(resistor.a, resistor.b, Real(resistor.values[Gn]));
}

int PiecewiseLinearRegion(const Element& resistor, const OperatingPoint& op)
{
    return LowerPoint(resistor, Voltage(resistor, op.V)) + 1;
}

std::string PiecewiseLinearRegionWords(int region) { return "trecho " + std::to_string(region); }

std::string PiecewiseLinearVoltages(const Element& resistor, const double* V)
{
    char text[64];
    std::snprintf(text, sizeof text, "V=%g", Voltage(resistor, V));
    return text;
}

} // namespace talvor
