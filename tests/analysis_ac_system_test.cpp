// The small-signal system: every element's stamp against hand results or ngspice, the device
// stamps against the linearisation of their DC models, traces, reports and arithmetic faults.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/ac_system.h"
#include "analysis/bipolar.h"
#include "analysis/devices.h"
#include "analysis/diode.h"
#include "analysis/mos.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

constexpr double Pi = 3.141592653589793;

struct AcFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    Circuit circuit;
    CircuitBuilder build{circuit, log};
    AnalysisSettings settings;
    MnaSystem mna;
    double g0 = 1e-9;

    bool Solve(double omega, long index = 0)
    {
        return SolveAtFrequency(circuit, settings, g0, mna, log, AcPoint{omega, omega, index});
    }
    std::complex<double> V(const char* name) const
    {
        const Complex x = mna.Solution(build.Unknown(name));
        return {x.re, x.im};
    }
};

using Builder = void (*)(CircuitBuilder&);

struct LinearCase {
    const char* label;
    Builder circuit;
    double omega;
    const char* node;
    std::complex<double> expected;
};

// A 1 V source at node "in" for the cases below.
void Source(CircuitBuilder& b) { b.Add("V1", {"in", "0"}, {1, 0, 0}); }

const LinearCase linearCases[] = {
    {"R divider",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "out"}, {1000});
         b.Add("R2", {"out", "0"}, {1000});
     },
     1000,
     "out",
     {0.5, 0}},
    {"RC low-pass at its corner: 1/(1 + j)",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "out"}, {1000});
         b.Add("C1", {"out", "0"}, {1e-6});
     },
     1000,
     "out",
     {0.5, -0.5}},
    {"RL high-pass at its corner: j/(1 + j)",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "out"}, {1000});
         b.Add("L1", {"out", "0"}, {1});
     },
     1000,
     "out",
     {0.5, 0.5}},
    {"nodal inductor X as L",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "out"}, {1000});
         b.Add("X1", {"out", "0"}, {1});
     },
     1000,
     "out",
     {0.5, 0.5}},
    {"nodal inductor X at DC is g0 ohms",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "out"}, {1000});
         b.Add("X1", {"out", "0"}, {1});
     },
     0,
     "out",
     {1e-12, 0}},
    {"G: 2 mS from V(in) into 1 kΩ",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("G1", {"0", "out", "in", "0"}, {2e-3});
         b.Add("R1", {"out", "0"}, {1000});
     },
     1000,
     "out",
     {2, 0}},
    {"I: 1 mA at 90 degrees into 1 kΩ",
     [](CircuitBuilder& b) {
         b.Add("I1", {"0", "out"}, {1e-3, Pi / 2, 5});
         b.Add("R1", {"out", "0"}, {1000});
     },
     1000,
     "out",
     {0, 1}},
    {"V: 1 V at 90 degrees across a resistor",
     [](CircuitBuilder& b) {
         b.Add("V1", {"out", "0"}, {1, Pi / 2, 5});
         b.Add("R1", {"out", "0"}, {1000});
     },
     1000,
     "out",
     {0, 1}},
    {"V: DC source is a short at AC",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "out"}, {1000});
         b.Add("V2", {"out", "0"}, {0, 0, 5});
     },
     1000,
     "jV2",
     {1e-3, 0}},
    {"E: gain 3",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("E1", {"out", "0", "in", "0"}, {3});
         b.Add("R1", {"out", "0"}, {1000});
     },
     1000,
     "out",
     {3, 0}},
    {"F: 2 × 1 mA into 1 kΩ",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "m"}, {1000});
         b.Add("F1", {"0", "out", "m", "0"}, {2});
         b.Add("R2", {"out", "0"}, {1000});
     },
     1000,
     "out",
     {2, 0}},
    {"H: 500 Ω × 1 mA",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "m"}, {1000});
         b.Add("H1", {"out", "0", "m", "0"}, {500});
         b.Add("R2", {"out", "0"}, {1000});
     },
     1000,
     "out",
     {0.5, 0}},
    {"O: inverting amplifier of gain −2",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "m"}, {1000});
         b.Add("R2", {"m", "out"}, {2000});
         b.Add("O1", {"out", "0", "m", "0"});
     },
     1000,
     "out",
     {-2, 0}},
    {"A: GB/(P + jω) open loop, Ro = 0",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("A1", {"out", "0", "0", "in"}, {1e6, 1e3, 0});
         b.Add("R1", {"out", "0"}, {100});
     },
     1000,
     "out",
     {500, -500}},
    {"A: Ro equal to the load halves the output",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("A1", {"out", "0", "0", "in"}, {1e6, 1e3, 100});
         b.Add("R1", {"out", "0"}, {100});
     },
     1000,
     "out",
     {250, -250}},
    {"Y: gyrator of 1 kΩ into 2 kΩ",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("Y1", {"in", "0", "out", "0"}, {1000});
         b.Add("R1", {"out", "0"}, {2000});
     },
     1000,
     "out",
     {2, 0}},
    {"Y: port 1 sees Rg²/R = 500 Ω, so V1 delivers 2 mA",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("Y1", {"in", "0", "out", "0"}, {1000});
         b.Add("R1", {"out", "0"}, {2000});
     },
     1000,
     "jV1",
     {-2e-3, 0}},
    {"T: matched line delays by ωτ",
     [](CircuitBuilder& b) {
         Source(b);
         b.Add("R1", {"in", "p1"}, {50});
         b.Add("T1", {"p1", "0", "p2"}, {50, 1e-9});
         b.Add("R2", {"p2", "0"}, {50});
     },
     5e8,
     "p2",
     {0.5 * std::cos(0.5), -0.5 * std::sin(0.5)}},
};

TEST_F(AcFixture, LinearElementsAgainstHandResults)
{
    for (const LinearCase& c : linearCases) {
        circuit.Reset();
        c.circuit(build);
        build.Finish();
        ASSERT_TRUE(Solve(c.omega)) << c.label;
        const std::complex<double> v = V(c.node);
        const double scale = std::max(1e-3, std::abs(c.expected));
        EXPECT_NEAR(v.real(), c.expected.real(), 1e-12 * scale) << c.label;
        EXPECT_NEAR(v.imag(), c.expected.imag(), 1e-12 * scale) << c.label;
    }
    EXPECT_TRUE(sink.lines.empty());
}

// Reads tests/data/ac/expected.txt: deck, node, real and imaginary part.
struct SpiceResult {
    std::string deck, node;
    std::complex<double> value;
};

std::vector<SpiceResult> ReadSpiceResults()
{
    std::vector<SpiceResult> results;
    std::ifstream in(std::string(TALVOR_TEST_DATA) + "/ac/expected.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        SpiceResult r;
        double re, im;
        fields >> r.deck >> r.node >> re >> im;
        r.value = {re, im};
        results.push_back(r);
    }
    return results;
}

TEST_F(AcFixture, CoupledInductorsAndLineAgainstNgspice)
{
    const std::vector<SpiceResult> results = ReadSpiceResults();
    ASSERT_EQ(results.size(), 4u);
    for (const SpiceResult& r : results) {
        circuit.Reset();
        double omega;
        if (r.deck == "coupled_inductors") {
            Source(build);
            build.Add("R1", {"in", "p"}, {100});
            build.Add("L1", {"p", "0"}, {1});
            build.Add("L2", {"s", "0"}, {4});
            build.Couple("K1", 3, 4, 0.5);
            build.Add("R2", {"s", "0"}, {1000});
            omega = 1000;
        } else {
            Source(build);
            build.Add("R1", {"in", "p1"}, {50});
            build.Add("T1", {"p1", "0", "p2"}, {50, 1e-9});
            build.Add("R2", {"p2", "0"}, {30});
            omega = 5e8;
        }
        build.Finish();
        ASSERT_TRUE(Solve(omega)) << r.deck;
        const std::complex<double> v = V(r.node.c_str());
        EXPECT_NEAR(v.real(), r.value.real(), 1e-9) << r.deck << " " << r.node;
        EXPECT_NEAR(v.imag(), r.value.imag(), 1e-9) << r.deck << " " << r.node;
    }
}

// At ω = 0 and without capacitances, a device's small-signal stamp must be the matrix part of
// its DC companion model, the linearisation at the same iterate.
struct DeviceCase {
    const char* label;
    const char* name;
    char type;
    std::vector<double> voltages; // of the nodes 1..4 in order
};

TEST_F(AcFixture, DeviceStampsAreTheLinearisedDcModels)
{
    settings.CBcdiodos = false;
    settings.CBcmos = false;
    settings.CBcgb = false;
    settings.CBdiodos = false;
    const DeviceCase cases[] = {
        {"diode forward", "D1", 'N', {0.65, 0}},
        {"N resistor", "N1", 'N', {1.5, 0}},
        {"npn forward active", "Q1", 'N', {5, 0.62, 0.1}},
        {"npn saturated", "Q1", 'N', {0.1, 0.7, 0}},
        {"pnp forward active", "Q1", 'P', {-5, -0.6, 0}},
        {"nmos saturation", "M1", 'N', {5, 3, 0, -1}},
        {"nmos exchanged triode", "M1", 'N', {0, 8, 5, -1}},
        {"pmos saturation", "M1", 'P', {0, 2, 5, 5}},
    };
    for (const DeviceCase& c : cases) {
        circuit.Reset();
        Element& e = c.name[0] == 'N' ? build.Add(c.name, {"1", "2"}, {-1, -2, 0, 0, 1, 1, 2, 10})
                                      : build.Add(c.name, {"1", "2", "3", "4"});
        if (c.name[0] == 'Q' || c.name[0] == 'M')
            e.y = c.type;
        if (c.name[0] != 'M')
            e.d = 0;
        if (c.name[0] == 'D' || c.name[0] == 'N')
            e.c = 0;
        build.Finish();
        const int n = circuit.variableCount;
        OperatingPoint op;
        op.g0 = g0;
        for (size_t k = 0; k < c.voltages.size() && static_cast<int>(k) < n; ++k)
            op.V[k + 1] = c.voltages[k];
        MnaSystem dc;
        dc.Clear(n);
        StampDevice(DeviceContext{op, settings, dc}, e);
        ASSERT_TRUE(BuildAcSystem(circuit, settings, g0, mna, log, AcPoint{0, 0, 0})) << c.label;
        for (int row = 1; row <= n; ++row)
            for (int column = 1; column <= n; ++column) {
                EXPECT_NEAR(mna.At(row, column).re, dc.At(row, column).re,
                            1e-12 * std::fabs(dc.At(row, column).re) + 1e-18)
                    << c.label << " (" << row << ", " << column << ")";
                EXPECT_EQ(mna.At(row, column).im, 0.0) << c.label;
            }
    }
}

TEST_F(AcFixture, DeviceCapacitancesFollowTheOptionsAndOrientation)
{
    const double omega = 1e6;
    // Diode of 1 mS and 1 nF at ω = 1e6 fed through 1 kΩ from 1 V: 1/(1 + 1 + j).
    Source(build);
    build.Add("R1", {"in", "a"}, {1000});
    Element& d = build.Add("D1", {"a", "0"});
    d.values[DiodeSlot::Gd] = 1e-3;
    d.values[DiodeSlot::Cdtotal] = 1e-9;
    build.Finish();
    ASSERT_TRUE(Solve(omega));
    EXPECT_NEAR(std::abs(V("a") - std::complex<double>(0.4, -0.2)), 0, 1e-12);
    settings.CBcdiodos = false;
    ASSERT_TRUE(Solve(omega));
    EXPECT_NEAR(std::abs(V("a") - std::complex<double>(0.5, 0)), 0, 1e-12);

    // MOS exchanged (orientation −2): Cgs sits between gate and the netlist drain.
    circuit.Reset();
    Element& m = build.Add("M1", {"d", "g", "s", "b"});
    m.x = -2;
    m.values[MosSlot::Cgs] = 1;
    m.values[MosSlot::Cgd] = 2;
    m.values[MosSlot::Cgb] = 4;
    build.Finish();
    struct Case {
        bool cmos, cgb;
        double gd, gs, gb;
    };
    const Case cases[] = {{true, true, -1, -2, -4},
                          {true, false, -1, -2, 0},
                          {false, true, 0, 0, -4},
                          {false, false, 0, 0, 0}};
    const int dn = build.Unknown("d"), gn = build.Unknown("g"), sn = build.Unknown("s"),
              bn = build.Unknown("b");
    for (const Case& c : cases) {
        settings.CBcmos = c.cmos;
        settings.CBcgb = c.cgb;
        ASSERT_TRUE(BuildAcSystem(circuit, settings, g0, mna, log, AcPoint{1, 1, 0}));
        EXPECT_EQ(mna.At(gn, dn).im, c.gd);
        EXPECT_EQ(mna.At(gn, sn).im, c.gs);
        EXPECT_EQ(mna.At(gn, bn).im, c.gb);
    }
}

TEST_F(AcFixture, BipolarCommonEmitterGainByHand)
{
    // Emitter grounded, base at 1 V, 1 kΩ collector load. KCL at the collector:
    // Vc·(1/R − GEbc + GEce + Gbc + jωCbc) = −Vb·(alfa·Gbe + GEbe + GEbc − Gbc − jωCbc).
    Source(build);
    Element& q = build.Add("Q1", {"c", "in", "0"});
    build.Add("R1", {"c", "0"}, {1000});
    build.Finish();
    double* v = q.values;
    using namespace BipolarSlot;
    v[Gbe] = 0.04;
    v[Gbc] = 1e-6;
    v[GEbe] = 4e-4;
    v[GEbc] = -2e-8;
    v[GEce] = 1e-5;
    v[Cbe] = 1e-10;
    v[Cbc] = 1e-9;
    const double omega = 1e6;
    ASSERT_TRUE(Solve(omega));
    const std::complex<double> jwc(0, omega * 1e-9);
    const std::complex<double> expected =
        -(0.99 * 0.04 + 4e-4 + -2e-8 - 1e-6 - jwc) / (1e-3 + 2e-8 + 1e-5 + 1e-6 + jwc);
    EXPECT_NEAR(std::abs(V("c") - expected), 0, 1e-12 * std::abs(expected));
}

TEST_F(AcFixture, StampTraceAndResultsForTheFirstFivePoints)
{
    settings.CBestampas = true;
    settings.CBresultados = true;
    build.Add("R1", {"1", "0"}, {1000});
    build.Add("I1", {"0", "1"}, {1e-3, Pi / 2});
    build.Finish();
    ASSERT_TRUE(SolveAtFrequency(circuit, settings, g0, mna, log, AcPoint{50, 314.0, 4}));
    EXPECT_EQ(sink.lines, (std::vector<std::string>{
                              "Sistema após a estampa de R1 (f=50):",
                              "+1.00e-03+0.00e+00j ......... ......... ",
                              "Sistema após a estampa de I1 (f=50):",
                              "+1.00e-03+0.00e+00j +6.12e-20+1.00e-03j ",
                              "Resultados (f=50):",
                              "         1: +6.12323e-17+1j",
                          }));
    sink.lines.clear();
    ASSERT_TRUE(SolveAtFrequency(circuit, settings, g0, mna, log, AcPoint{60, 377.0, 5}));
    EXPECT_TRUE(sink.lines.empty());
}

struct AcFaultCase {
    const char* label;
    Builder circuit;
    double omega;
    const char* message;
};

const AcFaultCase faultCases[] = {
    {"zero resistance",
     [](CircuitBuilder& b) {
         b.Add("R1", {"1", "0"}, {0});
     },
     1, "Erro aritmético na estampa de R1."},
    {"zero gyration resistance",
     [](CircuitBuilder& b) {
         b.Add("Y1", {"1", "0", "2", "0"}, {0});
     },
     1, "Erro aritmético na estampa de Y1."},
    {"X of zero inductance",
     [](CircuitBuilder& b) {
         b.Add("X1", {"1", "0"}, {0});
     },
     1, "Erro aritmético na estampa de X1."},
    {"A with pole 0 at DC",
     [](CircuitBuilder& b) {
         b.Add("A1", {"1", "0", "0", "2"}, {1e6, 0, 0});
     },
     0, "Erro aritmético na estampa de A1."},
    {"T of zero delay",
     [](CircuitBuilder& b) {
         b.Add("T1", {"1", "0", "2"}, {50, 0});
     },
     1, "Erro aritmético na estampa de T1."},
};

TEST_F(AcFixture, ArithmeticFaultsFailThePointNamingTheElement)
{
    for (const AcFaultCase& c : faultCases) {
        circuit.Reset();
        sink.lines.clear();
        c.circuit(build);
        build.Add("R9", {"1", "0"}, {1});
        build.Finish();
        EXPECT_FALSE(Solve(c.omega)) << c.label;
        EXPECT_EQ(sink.lines, std::vector<std::string>{c.message}) << c.label;
    }
}

TEST_F(AcFixture, OverflowInTheSolverFailsThePoint)
{
    mna.Clear(2);
    mna.At(1, 1) = {1, 0};
    mna.At(1, 2) = {1e308, 0};
    mna.At(2, 1) = {0.9, 0};
    mna.At(2, 2) = {-1e308, 0};
    EXPECT_EQ(SolveWatched(mna, log), SolveStatus::ArithmeticFault);
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Erro aritmético na solução do sistema."});
}

TEST_F(AcFixture, SingularSystemFailsThePoint)
{
    build.Add("C1", {"1", "0"}, {1e-6});
    build.Finish();
    EXPECT_FALSE(Solve(0));
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Possível sistema singular. Pivot=0."});
}

} // namespace
