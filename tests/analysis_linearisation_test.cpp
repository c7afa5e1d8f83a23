// Whole chain from netlist text: the small-signal gain at ω = 0 must equal the derivative of the
// DC operating point with respect to the input's DC value (central difference), for every
// nonlinear device type in both polarities and orientations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "analysis/ac_system.h"
#include "analysis/operating_point.h"
#include "analysis_test_circuit.h"
#include "netlist/netlist_reader.h"
#include "test_support.h"

using namespace talvor;

namespace {

struct GainCase {
    const char* label;
    const char* netlist; // the input source is element 2, its DC value in slot [2]
    const char* output;
};

const GainCase cases[] = {
    {"diode fed by a current source", "diodo\nR1 a 0 1e6\nI1 0 a 1 0 1e-3\nD1 a 0\n", "a"},
    {"npn common emitter", "npn\nVCC vcc 0 DC 10\nVIN b 0 1 0 0.65\nRC vcc c 1000\nQ1 c b 0 N\n",
     "c"},
    {"npn with emitter resistor and saturating load",
     "npn\nVCC vcc 0 DC 5\nVIN b 0 1 0 0.9\nRC vcc c 5000\nRE e 0 100\nQ1 c b e N\n", "c"},
    {"pnp common emitter", "pnp\nVEE vee 0 DC 10\nVIN b 0 1 0 9.35\nRC c 0 1000\nQ1 c b vee P\n",
     "c"},
    {"n-channel common source",
     "nmos\nVDD vdd 0 DC 5\nVIN g 0 1 0 2\nRD vdd d 10000\nM1 d g 0 0 N\n", "d"},
    {"n-channel written with drain and source exchanged",
     "nmos\nVDD vdd 0 DC 5\nVIN g 0 1 0 2\nRD vdd d 10000\nM1 0 g d 0 N\n", "d"},
    {"n-channel in triode with body effect",
     "nmos\nVDD vdd 0 DC 5\nVIN g 0 1 0 4\nRD vdd d 10000\nRS s 0 1000\nM1 d g s 0 N\n", "d"},
    {"p-channel common source",
     "pmos\nVDD vdd 0 DC 5\nVIN g 0 1 0 3\nRD d 0 10000\nM1 d g vdd vdd P\n", "d"},
    {"piecewise-linear resistor", "pwl\nR1 a 0 1000\nI1 0 a 1 0 2e-3\nN1 a 0 -1 -2 0 0 1 1 2 10\n",
     "a"},
};

struct LinearisationFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    TestHost host;
    Analysis analysis{log, host};
    TempDir dir;

    LinearisationFixture()
    {
        host.settings.CBcdiodos = false;
        host.settings.CBcmos = false;
        host.settings.CBcgb = false;
    }

    int Unknown(const char* name) const
    {
        for (int k = 1; k <= analysis.circuit.variableCount; ++k)
            if (std::strcmp(analysis.circuit.nodeTable[k], name) == 0)
                return k;
        return 0;
    }

    // Reads the netlist (restoring the slots the last operating point overwrote), moves the
    // input's DC value by delta and finds the operating point.
    bool OperatingPoint(const std::string& path, double delta)
    {
        analysis.circuit.Reset();
        if (!ReadNetlist(analysis.circuit, log, path, false))
            return false;
        analysis.circuit.element(2).values[2] += delta;
        FindOperatingPoint(analysis);
        return !analysis.circuit.RunFailed;
    }
};

TEST_F(LinearisationFixture, SmallSignalGainIsTheDerivativeOfTheOperatingPoint)
{
    const double delta = 1e-5;
    for (const GainCase& c : cases) {
        const std::string path = dir.Write("circuito.net", c.netlist);
        ASSERT_TRUE(OperatingPoint(path, delta)) << c.label;
        const double high = analysis.op.V[Unknown(c.output)];
        ASSERT_TRUE(OperatingPoint(path, -delta)) << c.label;
        const double low = analysis.op.V[Unknown(c.output)];
        ASSERT_TRUE(OperatingPoint(path, 0)) << c.label;

        ASSERT_TRUE(SolveAtFrequency(analysis.circuit, host.settings, analysis.op.g0, analysis.mna,
                                     log, AcPoint{0, 0, 0}))
            << c.label;
        const Complex gain = analysis.mna.Solution(Unknown(c.output));
        const double derivative = (high - low) / (2 * delta);
        EXPECT_NEAR(gain.re, derivative, 1e-4 * std::fabs(derivative) + 1e-9) << c.label;
        EXPECT_EQ(gain.im, 0.0) << c.label;
        EXPECT_GT(std::fabs(derivative), 1e-3) << c.label;
    }
}

} // namespace
