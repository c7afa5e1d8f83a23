// Companion models against the large-signal equations: at the iterate, the current that a
// device's stamps draw out of each terminal must be the model's terminal current (the tangent
// meets the curve there). Every transistor region, both channel types and orientations, terminals
// off ground, the Early effect in both senses, the initial-conduction state and the MOS bulk
// diodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analysis/bipolar.h"
#include "analysis/mos.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

constexpr double Vt = 0.043429445;

double Junction(double v, double is = 1e-9, double vt = Vt) { return is * (std::exp(v / vt) - 1); }

struct ModelFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    Circuit circuit;
    CircuitBuilder build{circuit, log};
    OperatingPoint op;
    AnalysisSettings settings;
    MnaSystem mna;

    ModelFixture()
    {
        settings.CBcdiodos = false;
        settings.CBcmos = false;
        settings.CBcgb = false;
    }

    // Stamps the element alone at the iterate given by node name and voltage.
    void Stamp(Element& e, std::initializer_list<std::pair<const char*, double>> voltages)
    {
        for (const auto& [node, value] : voltages)
            op.V[build.Unknown(node)] = value;
        mna.Clear(MaxVariables);
        StampDevice(DeviceContext{op, settings, mna}, e);
    }

    // The current that the stamps draw out of the node at the iterate: row · V − right side.
    double Leaving(const char* node) const
    {
        const int k = build.Unknown(node);
        double sum = -mna.At(k, MaxVariables + 1).re;
        for (int m = 1; m <= MaxVariables; ++m)
            sum += mna.At(k, m).re * op.V[m];
        return sum;
    }
};

TEST_F(ModelFixture, PiecewiseLinearResistorBetweenTwoNodes)
{
    // i(v) through (−1, −2), (0, 0), (1, 1), (2, 10); v = V(a) − V(b) with b off ground.
    Element& n = build.Add("N1", {"a", "b"}, {-1, -2, 0, 0, 1, 1, 2, 10});
    build.Finish();
    struct Case {
        double a, b, current;
    };
    const Case cases[] = {{3.5, 5, -3}, {5.5, 5, 0.5}, {6.5, 5, 5.5}, {-4, -3, -2}};
    for (const Case& c : cases) {
        Stamp(n, {{"a", c.a}, {"b", c.b}});
        EXPECT_NEAR(Leaving("a"), c.current, 1e-12) << c.a << " " << c.b;
        EXPECT_NEAR(Leaving("b"), -c.current, 1e-12) << c.a << " " << c.b;
    }
}

// Ebers-Moll with Early: the collector and base currents of the equations, for npn; a pnp is
// the mirror (every voltage and current negated).
struct BipolarCase {
    const char* label;
    char type;
    double c, b, e;
};

TEST_F(ModelFixture, BipolarTerminalCurrentsInEveryRegion)
{
    const BipolarCase cases[] = {
        {"npn forward active", 'N', 6, 1.6, 1},
        {"npn forward active, Vce below 1 V", 'N', 1.5, 1.6, 1},
        {"npn saturated", 'N', 1.1, 1.65, 1},
        {"npn cut off", 'N', 6, 0, 1},
        {"npn reverse active (Vce < 0: no Early term)", 'N', 1, 1.6, 4},
        {"pnp forward active", 'P', -6, -1.6, -1},
        {"pnp forward active, Vce above -1 V", 'P', -1.5, -1.6, -1},
        {"pnp saturated", 'P', -1.1, -1.65, -1},
        {"pnp cut off", 'P', -6, 0, -1},
        {"pnp reverse active (Vce > 0: no Early term)", 'P', -1, -1.6, -4},
    };
    const double alfa = 0.99, alfar = 0.5, va = 100;
    for (const BipolarCase& c : cases) {
        circuit.Reset();
        Element& q = build.Add("Q1", {"c", "b", "e"});
        q.y = c.type;
        build.Finish();
        op = OperatingPoint{};
        Stamp(q, {{"c", c.c}, {"b", c.b}, {"e", c.e}});
        const double s = c.type == 'N' ? 1 : -1;
        const double vbe = s * (c.b - c.e), vbc = s * (c.b - c.c), vce = vbe - vbc;
        const double ibe = Junction(vbe), ibc = Junction(vbc);
        const double early = vce > 0 ? 1 + vce / va : 1;
        const double ic = s * early * (alfa * ibe - ibc);
        const double ib = s * (ibe + ibc - alfa * ibe - alfar * ibc);
        const double scale = std::max({std::fabs(ic), std::fabs(ib), 1e-12});
        EXPECT_NEAR(Leaving("c"), ic, 1e-9 * scale) << c.label;
        EXPECT_NEAR(Leaving("b"), ib, 1e-9 * scale) << c.label;
        EXPECT_NEAR(Leaving("e"), -ic - ib, 1e-9 * scale) << c.label;
        // The stored Early terms are the derivatives of the extra collector current with respect
        // to the raw Vbe and Vbc; Vce here is in the forward sense of either type.
        using namespace BipolarSlot;
        const double* v = q.values;
        if (vce > 0) {
            EXPECT_NEAR(v[GEbe], alfa * v[Gbe] * vce / va, 1e-12 * v[Gbe]) << c.label;
            EXPECT_NEAR(v[GEbc], -v[Gbc] * vce / va, 1e-12 * v[Gbc]) << c.label;
            EXPECT_NEAR(v[GEce], (alfa * ibe - ibc) / va, 1e-9 * scale) << c.label;
        } else {
            EXPECT_EQ(v[GEbe], 0) << c.label;
            EXPECT_EQ(v[GEbc], 0) << c.label;
            EXPECT_EQ(v[GEce], 0) << c.label;
        }
    }
}

// Shichman-Hodges: the drain current from the effective drain to the effective source.
double MosCurrent(double vgs, double vds, double vbs, double beta = 1e-4, double vt0 = 1,
                  double lambda = 0.01, double gama = 0.3, double fi = 0.6)
{
    const double vt = vt0 + gama * (std::sqrt(fi - std::min(vbs, 0.0)) - std::sqrt(fi));
    if (vgs <= vt)
        return 0;
    const double vov = vgs - vt;
    if (vov >= vds)
        return beta * (2 * vov * vds - vds * vds) * (1 + lambda * vds);
    return beta * vov * vov * (1 + lambda * vds);
}

struct MosCase {
    const char* label;
    char type;
    double d, g, s, b; // as written on the line
};

TEST_F(ModelFixture, MosTerminalCurrentsInEveryRegionAndOrientation)
{
    const MosCase cases[] = {
        {"n saturated", 'N', 6, 4, 1, 0},
        {"n saturated, exchanged", 'N', 1, 4, 6, 0},
        {"n triode", 'N', 1.5, 6, 1, 0},
        {"n triode, exchanged", 'N', 1, 6, 1.5, 0},
        {"n cut off", 'N', 6, 1.5, 1, 0},
        {"n with forward bulk (no body effect)", 'N', 6, 4, 1, 1.3},
        {"p saturated", 'P', -6, -4, -1, 0},
        {"p saturated, exchanged", 'P', -1, -4, -6, 0},
        {"p triode", 'P', -1.5, -6, -1, 0},
        {"p triode, exchanged", 'P', -1, -6, -1.5, 0},
        {"p cut off", 'P', -6, -1.5, -1, 0},
    };
    for (const MosCase& c : cases) {
        circuit.Reset();
        Element& m = build.Add("M1", {"d", "g", "s", "b"});
        m.y = c.type;
        build.Finish();
        op = OperatingPoint{};
        Stamp(m, {{"d", c.d}, {"g", c.g}, {"s", c.s}, {"b", c.b}});
        const double sign = c.type == 'N' ? 1 : -1;
        // The terminal at the higher voltage (lower for p-channel) acts as the drain.
        const bool asWritten = sign * (c.d - c.s) > 0;
        const double drain = asWritten ? c.d : c.s, source = asWritten ? c.s : c.d;
        const double id = sign * MosCurrent(sign * (c.g - source), sign * (drain - source),
                                            sign * (c.b - source));
        const double intoWrittenDrain = asWritten ? id : -id;
        EXPECT_NEAR(Leaving("d"), intoWrittenDrain, 1e-15) << c.label;
        EXPECT_NEAR(Leaving("s"), -intoWrittenDrain, 1e-15) << c.label;
        EXPECT_NEAR(Leaving("g"), 0, 1e-18) << c.label;
        EXPECT_NEAR(Leaving("b"), 0, 1e-18) << c.label;
    }
}

TEST_F(ModelFixture, MosInitialConductionUsesVgs2AndVbs06)
{
    // First iteration: Vgs = 2 and Vbs = 0.6 whatever the iterate, Vds from the iterate. The
    // companion current is that of the tangent plane at (2, Vds, 0.6), read at those voltages.
    Element& m = build.Add("M1", {"d", "g", "s", "b"});
    build.Finish();
    op.initialConduction = true;
    Stamp(m, {{"d", 0.5}, {"g", 0}, {"s", 0}, {"b", 0}});
    using namespace MosSlot;
    const double* v = m.values;
    const double beta = 1e-4, vov = 1, vds = 0.5; // Vt = VT0: a positive Vbs adds nothing
    const double id = beta * (2 * vov * vds - vds * vds) * 1.005;
    const double gm = 2 * beta * vds * 1.005;
    EXPECT_EQ(m.x, 3);
    EXPECT_NEAR(v[Gm], gm, 1e-18);
    EXPECT_NEAR(v[Gmb], gm * 0.3 / (2 * std::sqrt(0.6)), 1e-18);
    EXPECT_NEAR(v[Gm] * 2 + v[Gds] * vds + v[Gmb] * 0.6 + v[Ieq], id, 1e-18);
}

TEST_F(ModelFixture, MosBulkDiodesJoinTheBulkToBothChannelEnds)
{
    // The bulk diodes use 1e-9 A and 0.043429445 V whatever the transistor's parameters: the
    // bulk draws the two junction currents, forward from the bulk of an n-channel device and
    // towards it for p-channel. The channel is cut off.
    settings.CBdiodos = true;
    struct Case {
        char type;
        double d, g, s, b, bulkCurrent;
    };
    const Case cases[] = {
        {'N', 0.2, 0, 0.1, 0.5, Junction(0.4) + Junction(0.3)},
        {'N', 3, 0, -1, -2, Junction(-1) + Junction(-5)},
        {'P', -0.2, 0, -0.1, -0.5, -Junction(0.4) - Junction(0.3)},
    };
    for (const Case& c : cases) {
        circuit.Reset();
        Element& m = build.Add("M1", {"d", "g", "s", "b"}, {1e-6, 1e-6, 1e-4, 5});
        m.y = c.type;
        build.Finish();
        op = OperatingPoint{};
        Stamp(m, {{"d", c.d}, {"g", c.g}, {"s", c.s}, {"b", c.b}});
        EXPECT_NEAR(Leaving("b"), c.bulkCurrent, 1e-12 * std::fabs(c.bulkCurrent)) << c.type;
        EXPECT_NEAR(Leaving("d") + Leaving("s"), -c.bulkCurrent, 1e-12 * std::fabs(c.bulkCurrent));
    }
}

} // namespace
