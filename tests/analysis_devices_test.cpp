// Device models at known points: junction, piecewise-linear resistor, MOS regions and
// orientation, bipolar Early terms, junction and gate capacitances.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/bipolar.h"
#include "analysis/devices.h"
#include "analysis/junction.h"
#include "analysis/mos.h"
#include "analysis/piecewise_linear.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

constexpr double DefaultVt = 0.043429445;

struct DeviceFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    Circuit circuit;
    CircuitBuilder build{circuit, log};
    OperatingPoint op;
    AnalysisSettings settings;
    MnaSystem mna;

    DeviceFixture() { settings.CBcdiodos = false; }

    DeviceContext Context()
    {
        mna.Clear(MaxVariables);
        return DeviceContext{op, settings, mna};
    }
    // The voltage iterate by node name.
    void Set(const char* node, double value) { op.V[build.Unknown(node)] = value; }
};

TEST_F(DeviceFixture, JunctionAtSixTenthsVoltCarriesOneMilliampere)
{
    op.V[1] = 0.6;
    const Junction j = StampJunction(Context(), 1, 0, 1e-9, DefaultVt);
    EXPECT_NEAR(j.G * 0.6 + j.I0, 1e-3, 1e-8);
    EXPECT_NEAR(j.G, 0.023, 0.0005);
    // The companion model in the system: G between 1 and ground, I0 leaving node 1.
    EXPECT_EQ(mna.At(1, 1).re, j.G);
    EXPECT_EQ(mna.At(1, MaxVariables + 1).re, -j.I0);
}

TEST_F(DeviceFixture, JunctionAboveVdmaxFollowsTheTangentAtVdmax)
{
    op.V[1] = 0.7;
    const Junction at07 = StampJunction(Context(), 1, 0, 1e-9, DefaultVt);
    op.V[1] = 0.9;
    const Junction at09 = StampJunction(Context(), 1, 0, 1e-9, DefaultVt);
    EXPECT_EQ(at09.G, at07.G);
    EXPECT_EQ(at09.I0, at07.I0);
    const double exponential07 = 1e-9 * (std::exp(0.7 / DefaultVt) - 1);
    EXPECT_NEAR(at09.G * 0.9 + at09.I0, exponential07 + at07.G * 0.2, 1e-12);
    EXPECT_LT(at09.G * 0.9 + at09.I0, 1e-9 * std::exp(0.9 / DefaultVt));
}

TEST_F(DeviceFixture, InitialConductionLinearisesAtSixTenthsOrVdmax)
{
    op.V[1] = -5;
    op.initialConduction = true;
    const Junction conducting = StampJunction(Context(), 1, 0, 1e-9, DefaultVt);
    EXPECT_NEAR(conducting.G, 1e-9 * std::exp(0.6 / DefaultVt) / DefaultVt, 1e-12);
    op.vdmax = 0.5;
    const Junction limited = StampJunction(Context(), 1, 0, 1e-9, DefaultVt);
    EXPECT_NEAR(limited.G, 1e-9 * std::exp(0.5 / DefaultVt) / DefaultVt, 1e-12);
}

TEST_F(DeviceFixture, JunctionCapacitanceOptionAddsG0AtDc)
{
    settings.CBcdiodos = true;
    op.g0 = 1e-3;
    const Junction j = StampJunction(Context(), 1, 0, 1e-9, DefaultVt);
    EXPECT_EQ(mna.At(1, 1).re, j.G + 1e-3);
}

TEST_F(DeviceFixture, VeryNegativeJunctionVoltageGivesReverseSaturation)
{
    op.V[1] = -100;
    const Junction j = StampJunction(Context(), 1, 0, 1e-9, DefaultVt);
    EXPECT_EQ(j.G, 0.0);
    EXPECT_EQ(j.I0, -1e-9);
}

TEST_F(DeviceFixture, PiecewiseLinearResistorPicksItsSegment)
{
    Element& n = build.Add("N1", {"1", "0"}, {-1, -2, 0, 0, 1, 1, 2, 10});
    build.Finish();
    struct Case {
        double v, gn, current;
    };
    const Case cases[] = {
        {-1.5, 2, -3}, {-0.5, 2, -1}, {0, 1, 0},  {0.5, 1, 0.5},
        {1, 9, 1},     {1.5, 9, 5.5}, {3, 9, 19},
    };
    for (const Case& c : cases) {
        op.V[1] = c.v;
        StampDevice(Context(), n);
        const double gn = n.values[PwlSlot::Gn];
        EXPECT_EQ(gn, c.gn) << c.v;
        // Row 1: Gn·V(1) = −I0, so the model current at v is Gn·v + I0.
        const double i0 = -mna.At(1, MaxVariables + 1).re;
        EXPECT_DOUBLE_EQ(gn * c.v + i0, c.current) << c.v;
    }
}

// MOS with the default parameters: β = K·W/L = 1e-4, VT0 = 1, Lambda = 0.01, Gama = 0.3.
struct MosCase {
    const char* label;
    char type;
    double drain, gate, source, bulk;
    bool initialConduction;
    int orientation;
    double gm, gds;
};

TEST_F(DeviceFixture, MosRegionsAndOrientation)
{
    const double beta = 1e-4;
    const MosCase cases[] = {
        {"saturation", 'N', 5, 3, 0, 0, false, 2, 2 * beta * 2 * 1.05, beta * 4 * 0.01},
        {"drain below source is exchanged, triode", 'N', 0, 8, 5, 0, false, -3, 2 * beta * 5 * 1.05,
         beta * (2 * 7 - 2 * 5 + 4 * 0.01 * 7 * 5 - 3 * 0.01 * 25)},
        {"equal drain and source count as exchanged", 'N', 0, 3, 0, 0, false, -3, 0, beta * 2 * 2},
        {"Vgs equal to Vt is cut-off", 'N', 5, 1, 0, 0, false, 1, 0, 0},
        {"Vgs - Vt equal to Vds is triode", 'N', 2, 3, 0, 0, false, 3, 2 * beta * 2 * 1.02,
         beta * (4 - 4 + 4 * 0.01 * 2 * 2 - 3 * 0.01 * 4)},
        {"all zero without initial conduction is cut-off", 'N', 0, 0, 0, 0, false, -1, 0, 0},
        {"initial conduction: Vgs 2, Vbs 0.6, Vt = VT0", 'N', 0, 0, 0, 0, true, -3, 0,
         beta * 2 * 1},
        {"p-channel saturation", 'P', 0, 2, 5, 5, false, 2, 2 * beta * 2 * 1.05, beta * 4 * 0.01},
        {"p-channel with drain above source is exchanged", 'P', 5, 2, 0, 5, false, -2,
         2 * beta * 2 * 1.05, beta * 4 * 0.01},
        {"p-channel with gate above source is cut-off", 'P', 0, 5, 5, 5, false, 1, 0, 0},
    };
    for (const MosCase& c : cases) {
        circuit.Reset();
        Element& m = build.Add("M1", {"d", "g", "s", "b"});
        m.y = c.type;
        build.Finish();
        op = OperatingPoint{};
        Set("d", c.drain);
        Set("g", c.gate);
        Set("s", c.source);
        Set("b", c.bulk);
        op.initialConduction = c.initialConduction;
        StampDevice(Context(), m);
        EXPECT_EQ(m.x, c.orientation) << c.label;
        EXPECT_NEAR(m.values[MosSlot::Gm], c.gm, 1e-12) << c.label;
        EXPECT_NEAR(m.values[MosSlot::Gds], c.gds, 1e-12) << c.label;
    }
}

TEST_F(DeviceFixture, MosBodyEffectAndCompanionCurrent)
{
    Element& m = build.Add("M1", {"d", "g", "s", "b"});
    build.Finish();
    Set("d", 5);
    Set("g", 3);
    Set("b", -1);
    StampDevice(Context(), m);
    const double r = std::sqrt(1.6);
    const double vt = 1 + 0.3 * (r - std::sqrt(0.6));
    const double vov = 3 - vt;
    const double gm = 2e-4 * vov * 1.05;
    EXPECT_EQ(m.x, 2);
    EXPECT_NEAR(m.values[MosSlot::Gm], gm, 1e-15);
    EXPECT_NEAR(m.values[MosSlot::Gmb], gm * 0.3 / (2 * r), 1e-15);
    // The linear model reproduces the drain current at the iterate.
    const double id = 1e-4 * vov * vov * 1.05;
    const double* v = m.values;
    EXPECT_NEAR(v[MosSlot::Gm] * 3 + v[MosSlot::Gds] * 5 + v[MosSlot::Gmb] * -1 + v[MosSlot::Ieq],
                id, 1e-15);
}

TEST_F(DeviceFixture, MosGateOptionsStampG0)
{
    Element& m = build.Add("M1", {"d", "g", "s", "b"});
    build.Finish();
    op.g0 = 1e-3;
    settings.CBcmos = false;
    settings.CBcgb = false;
    const int g = build.Unknown("g");
    StampDevice(Context(), m);
    EXPECT_EQ(mna.At(g, g).re, 0.0);
    settings.CBcmos = true;
    StampDevice(Context(), m);
    EXPECT_EQ(mna.At(g, g).re, 2e-3);
    settings.CBcgb = true;
    StampDevice(Context(), m);
    EXPECT_EQ(mna.At(g, g).re, 3e-3);
}

struct BipolarCase {
    const char* label;
    char type;
    double collector, base, emitter;
    bool early;
};

TEST_F(DeviceFixture, BipolarEarlyTermsOnlyWithForwardVce)
{
    const BipolarCase cases[] = {
        {"npn, Vce > 0", 'N', 5, 0.6, 0, true},   {"npn, Vce = 0", 'N', 0, 0.6, 0, false},
        {"npn, Vce < 0", 'N', -1, 0.6, 0, false}, {"pnp, Vce < 0", 'P', -5, -0.6, 0, true},
        {"pnp, Vce = 0", 'P', 0, -0.6, 0, false}, {"pnp, Vce > 0", 'P', 1, -0.6, 0, false},
    };
    for (const BipolarCase& c : cases) {
        circuit.Reset();
        Element& q = build.Add("Q1", {"c", "b", "e"});
        q.y = c.type;
        build.Finish();
        op = OperatingPoint{};
        Set("c", c.collector);
        Set("b", c.base);
        Set("e", c.emitter);
        StampDevice(Context(), q);
        const double* v = q.values;
        using namespace BipolarSlot;
        EXPECT_NEAR(v[Gbe], 1e-9 * std::exp(0.6 / DefaultVt) / DefaultVt, 1e-9) << c.label;
        if (!c.early) {
            EXPECT_EQ(v[GEbe], 0.0) << c.label;
            EXPECT_EQ(v[GEbc], 0.0) << c.label;
            EXPECT_EQ(v[GEce], 0.0) << c.label;
            continue;
        }
        // Forward active at |Vbe| = 0.6: Ic ≈ alfa·1 mA; the Early conductance is Ic/VA.
        const double vce = c.collector - c.emitter;
        const double sign = c.type == 'N' ? 1 : -1;
        EXPECT_NEAR(v[GEbe], sign * 0.99 * v[Gbe] * vce / 100, 1e-12) << c.label;
        EXPECT_NEAR(v[GEce], 0.99e-3 / 100, 1e-8) << c.label;
        EXPECT_GT(v[GEce], 0) << c.label;
    }
}

TEST(JunctionCapacitanceTest, ReverseAndDirectParts)
{
    double V[3] = {0, 0, 0};
    struct Case {
        double v, G, I0, crev, cdir;
    };
    const double c0 = 5e-12, c1 = 1e-16;
    const Case cases[] = {
        {0, 0, 0, c0, 0},
        {-0.6, 0, -1e-9, c0 / std::sqrt(2), 0},
        {0.3, 0, 0, c0 / std::sqrt(0.5), 0},
        {0.5, 0, 0, c0 / std::sqrt(0.5), 0},
        {0.6, 0, 1e-3, c0 / std::sqrt(0.5), 100e-12}, // 1 mA gives C1·1e6 = 100 pF
    };
    for (const Case& c : cases) {
        V[1] = c.v;
        const JunctionCharge j = JunctionCapacitance(V, 1, 0, c.G, c.I0, c0, c1);
        EXPECT_DOUBLE_EQ(j.Crev, c.crev) << c.v;
        EXPECT_NEAR(j.Cdir, c.cdir, 1e-24) << c.v;
        EXPECT_DOUBLE_EQ(j.total, j.Crev + j.Cdir) << c.v;
    }
}

TEST_F(DeviceFixture, MosCapacitancesByRegion)
{
    // Cox = 2·K/0.05 = 4e-3; overlap Cox·W·Ld = 4e-16, channel Cox·W·L = 4e-15.
    const double overlap = 4e-16, channel = 4e-15;
    struct Case {
        char type;
        int orientation;
        double cgs, cgd, cgb;
    };
    const Case cases[] = {
        {'N', 1, overlap, overlap, channel},
        {'N', -1, overlap, overlap, channel},
        {'N', 2, overlap + 0.6666666666666666 * channel, overlap, 0},
        {'N', -3, overlap + 0.5 * channel, overlap + 0.5 * channel, 0},
        {'P', 1, overlap * 2.5, overlap * 2.5, channel * 2.5}, // mobility 0.02
    };
    for (const Case& c : cases) {
        circuit.Reset();
        Element& m = build.Add("M1", {"d", "g", "s", "b"});
        m.y = c.type;
        m.x = c.orientation;
        MosCapacitances(m);
        EXPECT_NEAR(m.values[MosSlot::Cgs], c.cgs, 1e-28) << c.orientation;
        EXPECT_NEAR(m.values[MosSlot::Cgd], c.cgd, 1e-28) << c.orientation;
        EXPECT_NEAR(m.values[MosSlot::Cgb], c.cgb, 1e-28) << c.orientation;
    }
}

} // namespace
