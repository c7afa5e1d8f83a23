// Edges of the small-signal system: the lossless line and the nodal inductor at ω = 0, trace
// titles with every digit of the frequency, and the largest circuit (50 unknowns) through the
// operating point and a frequency point.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "analysis/ac_system.h"
#include "analysis/linear_elements.h"
#include "analysis/operating_point.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

struct EdgeFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    TestHost host;
    Analysis analysis{log, host};
    CircuitBuilder build{analysis.circuit, log};

    bool Solve(double f, double omega, long index = 0, double g0 = 1e-9)
    {
        return SolveAtFrequency(analysis.circuit, host.settings, g0, analysis.mna, log,
                                AcPoint{f, omega, index});
    }
    std::complex<double> V(const char* name) const
    {
        const Complex x = analysis.mna.Solution(build.Unknown(name));
        return {x.re, x.im};
    }
};

TEST_F(EdgeFixture, LineAtZeroFrequencyIsTheLineAtOneNanoradianPerSecond)
{
    // At ω' = 1e-9 rad/s a line of Z0 = 1 MΩ and τ = 1000 s is nearly a series inductance
    // Z0·τ = 1e9 H, j·1 Ω: 1 A through it into 1 Ω leaves port 1 at 1 + 1j.
    build.Add("I1", {"0", "a"}, {1, 0, 0});
    build.Add("T1", {"a", "0", "c"}, {1e6, 1000});
    build.Add("R1", {"c", "0"}, {1});
    build.Finish();
    ASSERT_TRUE(Solve(0, 0));
    EXPECT_NEAR(V("a").real(), 1, 1e-9);
    EXPECT_NEAR(V("a").imag(), 1, 1e-9);
    EXPECT_NEAR(std::abs(V("c") - 1.0), 0, 1e-9);

    // Entry by entry, the stamp at ω = 0 is the stamp at 1e-9.
    MnaSystem atZero, atNano;
    atZero.Clear(3);
    atNano.Clear(3);
    const Element& line = analysis.circuit.element(2);
    StampLinearAc(line, 0, 1e-9, atZero);
    StampLinearAc(line, 1e-9, 1e-9, atNano);
    for (int r = 0; r <= 3; ++r)
        for (int c = 0; c <= 4; ++c) {
            EXPECT_EQ(atZero.At(r, c).re, atNano.At(r, c).re) << r << "," << c;
            EXPECT_EQ(atZero.At(r, c).im, atNano.At(r, c).im) << r << "," << c;
        }
}

TEST_F(EdgeFixture, NodalInductorIsG0OhmsAtZeroFrequency)
{
    // 1 A into X: a resistance of g0 ohms at ω = 0, a reactance ωL otherwise.
    build.Add("I1", {"0", "1"}, {1, 0, 0});
    build.Add("X1", {"1", "0"}, {0.25});
    build.Finish();
    ASSERT_TRUE(Solve(0, 0, 0, 0.5));
    EXPECT_EQ(V("1"), std::complex<double>(0.5, 0));
    ASSERT_TRUE(Solve(2, 2, 0, 0.5));
    EXPECT_NEAR(V("1").real(), 0, 1e-15);
    EXPECT_NEAR(V("1").imag(), 0.5, 1e-15);
}

TEST_F(EdgeFixture, LineAtOneRadianPerSecondIsNotTakenForZero)
{
    // The line's two-port: V1 = cos θ·V2 + j·Z0·sin θ·I2 and I1 = j·sin θ/Z0·V2 + cos θ·I2,
    // θ = ωτ, here θ = 0.5 at ω = 1 with 1 A into port 1 and 2 Ω at port 2.
    build.Add("I1", {"0", "a"}, {1, 0, 0});
    build.Add("T1", {"a", "0", "c"}, {3, 0.5});
    build.Add("R1", {"c", "0"}, {2});
    build.Finish();
    ASSERT_TRUE(Solve(1, 1));
    const std::complex<double> j(0, 1);
    const double z0 = 3, theta = 0.5, load = 2;
    const std::complex<double> v2 = 1.0 / (j * std::sin(theta) / z0 + std::cos(theta) / load);
    const std::complex<double> v1 = std::cos(theta) * v2 + j * z0 * std::sin(theta) * v2 / load;
    EXPECT_NEAR(std::abs(V("c") - v2), 0, 1e-12);
    EXPECT_NEAR(std::abs(V("a") - v1), 0, 1e-12);
}

TEST_F(EdgeFixture, PivotOfModulusOneOnTheImaginaryAxis)
{
    // 1 A into 1 F at ω = 1: the system is the single entry 0 + 1j, a pivot of modulus 1.
    build.Add("I1", {"0", "1"}, {1, 0, 0});
    build.Add("C1", {"1", "0"}, {1});
    build.Finish();
    ASSERT_TRUE(Solve(1, 1));
    EXPECT_EQ(V("1"), std::complex<double>(0, -1));
    EXPECT_TRUE(sink.lines.empty());
}

TEST_F(EdgeFixture, CurrentGainWithItsOutputOffGround)
{
    // F at AC: three times the 1 mA of the shorted input leaves p and enters q.
    build.Add("I1", {"0", "c"}, {1e-3, 0, 0});
    build.Add("F1", {"p", "q", "c", "0"}, {3});
    build.Add("R1", {"p", "0"}, {1000});
    build.Add("R2", {"q", "0"}, {1000});
    build.Finish();
    ASSERT_TRUE(Solve(1, 6.283185307179586));
    EXPECT_NEAR(std::abs(V("p") - (-3.0)), 0, 1e-12);
    EXPECT_NEAR(std::abs(V("q") - 3.0), 0, 1e-12);
}

TEST_F(EdgeFixture, TraceTitlesCarrySixDigitsOfTheFrequency)
{
    host.settings.CBestampas = true;
    host.settings.CBresultados = true;
    build.Add("I1", {"0", "1"}, {1e-3, 0, 0});
    build.Add("R1", {"1", "0"}, {1000});
    build.Finish();
    ASSERT_TRUE(Solve(159.155, 1000, 3));
    EXPECT_EQ(sink.lines, (std::vector<std::string>{
                              "Sistema após a estampa de I1 (f=159.155):",
                              "......... ......... +1.00e-03+0.00e+00j ",
                              "Sistema após a estampa de R1 (f=159.155):",
                              "+1.00e-03+0.00e+00j +1.00e-03+0.00e+00j ",
                              "Resultados (f=159.155):",
                              "         1: +1+0j",
                          }));
}

TEST_F(EdgeFixture, FiftyUnknownsThroughTheOperatingPointAndTheSweep)
{
    // 5 V through 48 resistors of 10 Ω into a diode: 49 nodes and the source's current. The
    // diode current I solves 5 = 480·I + VT·ln(1 + I/Is), found here by bisection.
    build.Add("V1", {"n1", "0"}, {1, 0, 5});
    for (int k = 1; k <= 48; ++k) {
        const std::string r = "R" + std::to_string(k);
        const std::string from = "n" + std::to_string(k), to = "n" + std::to_string(k + 1);
        build.Add(r.c_str(), {from.c_str(), to.c_str()}, {10});
    }
    build.Add("D1", {"n49", "0"});
    build.Finish();
    ASSERT_EQ(analysis.circuit.variableCount, 50);
    FindOperatingPoint(analysis);
    ASSERT_FALSE(analysis.circuit.RunFailed);
    const double vt = 0.043429445, is = 1e-9;
    double low = 0, high = 5.0 / 480;
    for (int k = 0; k < 200; ++k) {
        const double mid = (low + high) / 2;
        (480 * mid + vt * std::log1p(mid / is) < 5 ? low : high) = mid;
    }
    const double current = low;
    EXPECT_NEAR(analysis.op.V[50], -current, 1e-10);
    EXPECT_NEAR(analysis.op.V[49], 5 - 480 * current, 1e-7);
    // The small-signal source current at low frequency: 1 V over 480 Ω plus the diode's
    // resistance VT/I (its capacitance negligible at 1 Hz).
    ASSERT_TRUE(Solve(1, 6.283185307179586, 0, analysis.op.g0));
    EXPECT_NEAR(std::abs(V("jV1")), 1 / (480 + vt / (current + is)), 1e-9);
}

} // namespace
