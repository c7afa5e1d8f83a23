// DC and small-signal stamps of the linear elements: one switch per form, each reading as the
// table of its form, with the types in the same order in both. v[k] is values[k] of the element;
// a, b, c, d are its nodes and x, y its extra currents.
//
// Value slots and units:
//   R [0] resistance Ω          C [0] capacitance F          L, X [0] inductance H
//   K [0] coupling k, [1] mutual inductance H (x, y: the two inductors' currents)
//   G [0] transconductance S    E [0] voltage gain           F [0] current gain
//   H [0] transresistance Ω     O (no values)                Y [0] gyration resistance Ω
//   I, V [0] AC magnitude A or V, [1] AC phase rad, [2] DC value A or V
//   A [0] gain-bandwidth GB rad/s, [1] pole P rad/s, [2] output resistance Ω
//   T [0] characteristic impedance Z0 Ω, [1] delay s
#include "analysis/linear_elements.h"

#include <cmath>

namespace talvor {

namespace {

void Add(MnaSystem& mna, int row, int column, double value) { mna.At(row, column).re += value; }

void Add(MnaSystem& mna, int row, int column, Complex value)
{
    Complex& entry = mna.At(row, column);
    entry.re += value.re;
    entry.im += value.im;
}

// The extra current x leaves node a into the branch and enters node b.
void StampBranchCurrent(MnaSystem& mna, int a, int b, int x)
{
    Add(mna, a, x, 1.0);
    Add(mna, b, x, -1.0);
}

// The branch voltage V(a) − V(b) in row x, with the sign the DC (+1) or AC (−1) form writes it.
void StampBranchVoltage(MnaSystem& mna, int x, int a, int b, double sign)
{
    Add(mna, x, a, sign);
    Add(mna, x, b, -sign);
}

Complex Phasor(double magnitude, double phase)
{
    return {magnitude * std::cos(phase), magnitude * std::sin(phase)};
}

} // namespace

void StampLinearDc(const Element& e, double g0, MnaSystem& mna)
{
    const double* v = e.values;
    const int rhs = mna.Size() + 1;
    switch (e.Type()) {
    case 'R':
        mna.StampAdmittance(e.a, e.b, Real(1 / v[0]));
        break;
    case 'C': // open, bridged by g0
        mna.StampAdmittance(e.a, e.b, Real(g0));
        break;
    case 'L': // short with a series resistance of g0 ohms: V(a) − V(b) = g0·x
        Add(mna, e.x, e.x, g0);
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.a, e.b, -1);
        break;
    case 'X':
        mna.StampAdmittance(e.a, e.b, Real(1 / g0));
        break;
    case 'G':
        mna.StampTransadmittance(e.a, e.b, e.c, e.d, Real(v[0]));
        break;
    case 'I':
        mna.StampCurrentSource(e.a, e.b, Real(v[2]));
        break;
    case 'V':
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.a, e.b, +1);
        Add(mna, e.x, rhs, v[2]);
        break;
    case 'E':
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.a, e.b, +1);
        StampBranchVoltage(mna, e.x, e.c, e.d, -v[0]);
        break;
    case 'F': // input branch c–d shorted, carrying x
        Add(mna, e.a, e.x, v[0]);
        Add(mna, e.b, e.x, -v[0]);
        StampBranchCurrent(mna, e.c, e.d, e.x);
        StampBranchVoltage(mna, e.x, e.c, e.d, +1);
        break;
    case 'H': // input branch c–d shorted, carrying y
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchCurrent(mna, e.c, e.d, e.y);
        StampBranchVoltage(mna, e.x, e.a, e.b, +1);
        StampBranchVoltage(mna, e.y, e.c, e.d, +1);
        Add(mna, e.x, e.y, -v[0]);
        break;
    case 'O': // inputs c (−) and d (+) held equal, output current free
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.c, e.d, +1);
        break;
    case 'A': { // DC gain −GB/P; a pole at exactly 0 gives the gain 1/g0
        const double gain = v[1] == 0 ? -1 / g0 : -v[0] / v[1];
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.a, e.b, -1);
        Add(mna, e.x, e.x, v[2]);
        StampBranchVoltage(mna, e.x, e.c, e.d, gain);
        break;
    }
    case 'T': // the two port nodes joined
        mna.StampAdmittance(e.a, e.c, Real(1 / g0));
        break;
    case 'Y': {
        const double g = 1 / v[0];
        mna.StampTransadmittance(e.c, e.d, e.a, e.b, Real(-g));
        mna.StampTransadmittance(e.a, e.b, e.c, e.d, Real(g));
        break;
    }
    default: // K and unknown letters: nothing at DC
        break;
    }
}

void StampLinearAc(const Element& e, double omega, double g0, MnaSystem& mna)
{
    const double* v = e.values;
    const int rhs = mna.Size() + 1;
    switch (e.Type()) {
    case 'R':
        mna.StampAdmittance(e.a, e.b, Real(1 / v[0]));
        break;
    case 'C':
        mna.StampAdmittance(e.a, e.b, Imaginary(omega * v[0]));
        break;
    case 'L':
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.a, e.b, -1);
        Add(mna, e.x, e.x, Imaginary(omega * v[0]));
        break;
    case 'X': // at omega = 0 a resistance of g0 ohms
        mna.StampAdmittance(e.a, e.b, omega != 0 ? Imaginary(-1 / (omega * v[0])) : Real(1 / g0));
        break;
    case 'K':
        Add(mna, e.x, e.y, Imaginary(omega * v[1]));
        Add(mna, e.y, e.x, Imaginary(omega * v[1]));
        break;
    case 'G':
        mna.StampTransadmittance(e.a, e.b, e.c, e.d, Real(v[0]));
        break;
    case 'I':
        mna.StampCurrentSource(e.a, e.b, Phasor(v[0], v[1]));
        break;
    case 'V': {
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.a, e.b, -1);
        const Complex source = Phasor(v[0], v[1]);
        Add(mna, e.x, rhs, Complex{-source.re, -source.im});
        break;
    }
    case 'E':
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.a, e.b, -1);
        StampBranchVoltage(mna, e.x, e.c, e.d, v[0]);
        break;
    case 'F':
        Add(mna, e.a, e.x, v[0]);
        Add(mna, e.b, e.x, -v[0]);
        StampBranchCurrent(mna, e.c, e.d, e.x);
        StampBranchVoltage(mna, e.x, e.c, e.d, -1);
        break;
    case 'H':
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchCurrent(mna, e.c, e.d, e.y);
        StampBranchVoltage(mna, e.x, e.a, e.b, -1);
        StampBranchVoltage(mna, e.y, e.c, e.d, -1);
        Add(mna, e.x, e.y, v[0]);
        break;
    case 'O':
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.c, e.d, -1);
        break;
    case 'A': { // V(a) − V(b) = GB/(P + jω)·(V(d) − V(c)) + Ro·x
        const Complex gain = Divide(Real(-v[0]), Complex{v[1], omega});
        StampBranchCurrent(mna, e.a, e.b, e.x);
        StampBranchVoltage(mna, e.x, e.a, e.b, -1);
        Add(mna, e.x, e.x, v[2]);
        Add(mna, e.x, e.c, gain);
        Add(mna, e.x, e.d, Complex{-gain.re, -gain.im});
        break;
    }
    case 'T': { // lossless line; at omega = 0 a tiny frequency stands in for sin(0) = 0
        const double w = omega != 0 ? omega : 1e-9;
        const double z0 = v[0], delay = v[1];
        const Complex y12 = Imaginary(1 / (z0 * std::sin(w * delay)));
        const Complex y11 = Imaginary(-1 / (z0 * std::tan(w * delay)));
        mna.StampTransadmittance(e.a, e.b, e.c, e.b, y12);
        mna.StampTransadmittance(e.c, e.b, e.a, e.b, y12);
        mna.StampAdmittance(e.a, e.b, y11);
        mna.StampAdmittance(e.c, e.b, y11);
        break;
    }
    case 'Y': {
        const double g = 1 / v[0];
        mna.StampTransadmittance(e.a, e.b, e.c, e.d, Real(g));
        mna.StampTransadmittance(e.c, e.d, e.a, e.b, Real(-g));
        break;
    }
    default:
        break;
    }
}

} // namespace talvor
