// The DC operating point on small circuits: counts, values, traces, restarts, the stop request
// and arithmetic faults.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "analysis/bipolar.h"
#include "analysis/diode.h"
#include "analysis/operating_point.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

struct OperatingPointFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    TestHost host;
    Analysis analysis{log, host};
    CircuitBuilder build{analysis.circuit, log};

    void Run()
    {
        build.Finish();
        FindOperatingPoint(analysis);
    }
    double V(const char* name) { return analysis.op.V[build.Unknown(name)]; }
    const std::vector<std::string>& Lines() const { return sink.lines; }
    // Every run announces its start and its end, whatever the outcome.
    void ExpectStopEntryToggled() const
    {
        EXPECT_EQ(host.stopEnabled, (std::vector<bool>{true, false}));
    }
};

TEST_F(OperatingPointFixture, LinearCircuitIsSolvedOnce)
{
    build.Add("V1", {"in", "0"}, {0, 0, 5});
    build.Add("R1", {"in", "out"}, {1000});
    build.Add("R2", {"out", "0"}, {4000});
    Run();
    EXPECT_FALSE(analysis.circuit.RunFailed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "Número de iterações: 1, Reinícios: 0.",
                           "Ponto de operação encontrado.",
                           "in: 5",
                           "out: 4",
                           "jV1: -0.001",
                       }));
    ExpectStopEntryToggled();
}

TEST_F(OperatingPointFixture, CurrentSourceIntoDiode)
{
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    build.Add("D1", {"1", "0"});
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    // 1 mA = Is·(e^(v/VT) − 1), with g0 = 1e-9 S across the junction.
    const double expected = 0.043429445 * std::log(1e6 + 1);
    EXPECT_NEAR(V("1"), expected, 1e-6);
    ASSERT_GE(Lines().size(), 4u);
    EXPECT_EQ(Lines()[0].rfind("Número de iterações: ", 0), 0u);
    EXPECT_EQ(Lines()[1], "Ponto de operação encontrado.");
    EXPECT_EQ(Lines()[3].rfind("D1: direto Vd=0.6", 0), 0u) << Lines()[3];
    const double* v = analysis.circuit.element(2).values;
    EXPECT_NEAR(v[DiodeSlot::Gd], 1e-3 / 0.043429445, 1e-5);
    EXPECT_NEAR(v[DiodeSlot::Cdtotal], 5e-12 / std::sqrt(0.5) + 100e-12, 1e-15);
    ExpectStopEntryToggled();
}

TEST_F(OperatingPointFixture, InitialConductionStartsJunctionsAtSixTenthsVolt)
{
    // Linearised at 0.6 V, where the diode carries 1 mA, the first solve lands on 0.6 V;
    // from 0 V it would be thrown far off by the nearly flat exponential.
    host.settings.CBconduz = true;
    host.settings.CBresultados = true;
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    build.Add("D1", {"1", "0"});
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    EXPECT_EQ(Lines()[0], "Resultados (iterações=0, reinícios=0):");
    EXPECT_EQ(Lines()[1], "         1: +0.6");
    EXPECT_FALSE(analysis.op.initialConduction);
}

TEST_F(OperatingPointFixture, NmosInSaturationMatchesHandValues)
{
    // Gate at 3 V, drain through 1 kΩ from 5 V: Id = β·(Vgs − 1)²·(1 + λ·Vds), β = 1e-4.
    // Without the g0 of the gate capacitances, so that the gate draws no current.
    host.settings.CBcmos = false;
    host.settings.CBcgb = false;
    build.Add("V1", {"vdd", "0"}, {0, 0, 5});
    build.Add("V2", {"g", "0"}, {0, 0, 3});
    build.Add("R1", {"vdd", "d"}, {1000});
    build.Add("M1", {"d", "g", "0", "0"});
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    const double vd = V("d");
    EXPECT_NEAR((5 - vd) / 1000, 4e-4 * (1 + 0.01 * vd), 1e-9);
    EXPECT_EQ(analysis.circuit.element(4).x, 2);
    const std::string& report = Lines().back();
    EXPECT_EQ(report.rfind("M1: N normal saturado Gm=", 0), 0u) << report;
}

TEST_F(OperatingPointFixture, CapacitorAloneWithoutG0IsSingular)
{
    host.settings.Eg0 = "0";
    build.Add("C1", {"1", "0"}, {1e-6});
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "Possível sistema singular. Pivot=0.",
                           "Número de iterações: 0, Reinícios: 0.",
                       }));
    ExpectStopEntryToggled();
}

TEST_F(OperatingPointFixture, AmplifierWithPoleZeroHasGainOneOverG0)
{
    build.Add("V1", {"in", "0"}, {0, 0, 1e-6});
    build.Add("A1", {"out", "0", "0", "in"}, {1, 0, 0});
    build.Add("R1", {"out", "0"}, {1000});
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    EXPECT_NEAR(V("out"), 1000, 1e-9);
}

// Every element whose DC form uses g0, with g0 far from its default so that a wrong sign or a
// conductance taken for a resistance shows in the node values.
struct G0Case {
    const char* label;
    const char* g0;
    std::function<void(CircuitBuilder&)> build;
    const char* node;
    double expected;
};

void PrintTo(const G0Case& c, std::ostream* os) { *os << c.label; }

class G0DcStamps : public OperatingPointFixture, public ::testing::WithParamInterface<G0Case> {};

TEST_P(G0DcStamps, NodeValueFollowsG0)
{
    const G0Case& c = GetParam();
    host.settings.Eg0 = c.g0;
    c.build(build);
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed) << c.label;
    EXPECT_NEAR(V(c.node), c.expected, 1e-9) << c.label;
}

INSTANTIATE_TEST_SUITE_P(OperatingPoint, G0DcStamps,
                         ::testing::Values(G0Case{"L from a current source is g0 ohms", "0.5",
                                                  [](CircuitBuilder& b) {
                                                      b.Add("I1", {"0", "1"}, {0, 0, 1});
                                                      b.Add("L1", {"1", "0"}, {1});
                                                  },
                                                  "1", 0.5},
                                           G0Case{"L in a divider with R", "1",
                                                  [](CircuitBuilder& b) {
                                                      b.Add("V1", {"1", "0"}, {0, 0, 1});
                                                      b.Add("L1", {"1", "2"}, {1});
                                                      b.Add("R1", {"2", "0"}, {1});
                                                  },
                                                  "2", 0.5},
                                           G0Case{"C is a conductance g0", "0.25",
                                                  [](CircuitBuilder& b) {
                                                      b.Add("I1", {"0", "1"}, {0, 0, 1});
                                                      b.Add("C1", {"1", "0"}, {1e-6});
                                                  },
                                                  "1", 4},
                                           G0Case{"X is g0 ohms", "0.5",
                                                  [](CircuitBuilder& b) {
                                                      b.Add("I1", {"0", "1"}, {0, 0, 1});
                                                      b.Add("X1", {"1", "0"}, {1});
                                                  },
                                                  "1", 0.5},
                                           G0Case{"T joins its ports through g0 ohms", "0.5",
                                                  [](CircuitBuilder& b) {
                                                      b.Add("I1", {"0", "a"}, {0, 0, 1});
                                                      b.Add("T1", {"a", "0", "c", "0"}, {50, 1e-9});
                                                      b.Add("R1", {"c", "0"}, {1});
                                                  },
                                                  "a", 1.5},
                                           G0Case{
                                               "A with a pole at 0 has the gain 1/g0", "0.01",
                                               [](CircuitBuilder& b) {
                                                   b.Add("V1", {"in", "0"}, {0, 0, 1});
                                                   b.Add("A1", {"out", "0", "0", "in"}, {1, 0, 0});
                                                   b.Add("R1", {"out", "0"}, {1000});
                                               },
                                               "out", 100}));

TEST_F(OperatingPointFixture, DiodeBiasedThroughAnInductorWithLargeG0Converges)
{
    host.settings.Eg0 = "10";
    build.Add("V1", {"1", "0"}, {0, 0, 5});
    build.Add("L1", {"1", "2"}, {1e-3});
    build.Add("D1", {"2", "0"});
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    // The inductor drops g0·x in the direction of its current.
    EXPECT_NEAR(V("1") - V("2"), 10 * V("jL1"), 1e-9);
    EXPECT_GT(V("jL1"), 0);
}

TEST_F(OperatingPointFixture, InductorIsAShortWithG0Ohms)
{
    host.settings.Eg0 = "0";
    build.Add("V1", {"1", "0"}, {0, 0, 1});
    build.Add("L1", {"1", "2"}, {1e-3});
    build.Add("R1", {"2", "0"}, {1000});
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    EXPECT_EQ(V("2"), 1.0);
    EXPECT_DOUBLE_EQ(V("jL1"), 1e-3);
}

TEST_F(OperatingPointFixture, ControlledSourcesAtDc)
{
    // 1 mA into 1 kΩ at node c gives 1 V; E doubles it, G turns it into 2 mA through 1 kΩ,
    // F triples the 1 mA of a shorted branch into 500 Ω, H turns 2 mA into 2 V.
    build.Add("I1", {"0", "c"}, {0, 0, 1e-3});
    build.Add("R1", {"c", "0"}, {1000});
    build.Add("E1", {"e", "0", "c", "0"}, {2});
    build.Add("R2", {"e", "0"}, {1000});
    build.Add("G1", {"0", "g", "c", "0"}, {2e-3});
    build.Add("R3", {"g", "0"}, {1000});
    build.Add("I2", {"0", "fin"}, {0, 0, 1e-3});
    build.Add("F1", {"0", "f", "fin", "0"}, {3});
    build.Add("R4", {"f", "0"}, {500});
    build.Add("I3", {"0", "hin"}, {0, 0, 2e-3});
    build.Add("H1", {"h", "0", "hin", "0"}, {1000});
    build.Add("R5", {"h", "0"}, {1000});
    build.Add("V3", {"yin", "0"}, {0, 0, 1});
    build.Add("Y1", {"y", "0", "yin", "0"}, {1000});
    build.Add("R6", {"y", "0"}, {1000});
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    EXPECT_DOUBLE_EQ(V("c"), 1);
    EXPECT_DOUBLE_EQ(V("e"), 2);
    EXPECT_DOUBLE_EQ(V("g"), 2);
    EXPECT_DOUBLE_EQ(V("f"), 1.5);
    EXPECT_DOUBLE_EQ(V("h"), 2);
    // The gyrator driven at port 2 by 1 V pushes a current of V(yin)/Rg out of port 1's
    // first node into R6.
    EXPECT_DOUBLE_EQ(V("y"), -1);
}

TEST_F(OperatingPointFixture, StampTraceAndResultsReport)
{
    host.settings.CBestampas = true;
    host.settings.CBresultados = true;
    build.Add("R1", {"1", "0"}, {1000});
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    Run();
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "Sistema após a estampa de R1 (n=0):",
                           "+1.00e-03 ......... ",
                           "Sistema após a estampa de I1 (n=0):",
                           "+1.00e-03 +1.00e-03 ",
                           "Resultados (iterações=0, reinícios=0):",
                           "         1: +1",
                           "Número de iterações: 1, Reinícios: 0.",
                           "Ponto de operação encontrado.",
                           "1: 1",
                       }));
}

TEST_F(OperatingPointFixture, EventsAreProcessedAfterEveryStamp)
{
    build.Add("R1", {"1", "0"}, {1000});
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    build.Add("R2", {"1", "0"}, {1000});
    Run();
    EXPECT_EQ(host.eventRounds, 3);
}

TEST_F(OperatingPointFixture, StopRequestEndsTheCalculation)
{
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    build.Add("D1", {"1", "0"});
    host.onEvents = [&] {
        if (host.eventRounds == 3)
            analysis.circuit.StopRequest = 1;
    };
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(host.eventRounds, 3);
    EXPECT_EQ(Lines(), std::vector<std::string>{"Cálculo do ponto de operação interrompido."});
    ExpectStopEntryToggled();
}

TEST_F(OperatingPointFixture, StaleStopRequestIsClearedAtTheStart)
{
    analysis.circuit.StopRequest = 1;
    build.Add("R1", {"1", "0"}, {1000});
    Run();
    EXPECT_FALSE(analysis.circuit.RunFailed);
    EXPECT_EQ(analysis.circuit.StopRequest, 0);
}

// What a calculation reads once from the dialog, and the iterate it starts from; the diagnosis's
// check of a netlist starts from the same.
TEST(StartOperatingPoint, SettingsAndInitialIterate)
{
    struct Case {
        bool conduz;
        const char *g0, *vdmax, *initial;
        double expectedG0, expectedVdmax, expectedV;
        size_t logLines; // one for each field that is not one number alone
    };
    const Case cases[] = {
        {false, "1e-9", "0.7", "0", 1e-9, 0.7, 0, 0},
        {true, "0", "0.9", "-2.5", 0, 0.9, -2.5, 0},
        {false, "", "", "", 0, 0, 0, 3},                        // empty text reads as 0
        {true, "1e-3x", "1V", "3 V", 1e-3, 1, 3, 3},            // numbers end at a letter
        {false, "1,5e-9", "0,8", "0,25", 1.5e-9, 0.8, 0.25, 0}, // a decimal comma
    };
    for (const Case& c : cases) {
        OperatingPoint op;
        op.V[0] = 7;
        for (int k = 1; k <= MaxVariables; ++k) {
            op.V[k] = 99;
            op.notConverged[k] = true;
        }
        AnalysisSettings settings;
        settings.CBconduz = c.conduz;
        settings.Eg0 = c.g0;
        settings.Evdmax = c.vdmax;
        settings.Einicio = c.initial;
        RecordingSink sink;
        MessageLog log(sink);
        StartOperatingPoint(op, settings, 3, log);
        EXPECT_EQ(sink.lines.size(), c.logLines) << c.g0;
        EXPECT_EQ(op.initialConduction, c.conduz);
        EXPECT_EQ(op.g0, c.expectedG0);
        EXPECT_EQ(op.vdmax, c.expectedVdmax);
        EXPECT_EQ(op.V[0], 0);
        for (int k = 1; k <= 3; ++k) {
            EXPECT_EQ(op.V[k], c.expectedV) << k;
            EXPECT_FALSE(op.notConverged[k]) << k;
        }
        EXPECT_EQ(op.V[4], 99); // past the circuit's unknowns
    }
}

TEST(RandomGeneratorTest, FirstDrawsOfTheFifteenBitGenerator)
{
    // s = s·22695477 + 1 (mod 2^32) from s = 1, draw (s >> 16) & 0x7FFF.
    RandomGenerator random;
    const int expected[] = {346, 130, 10982, 1090, 11656, 7117};
    for (int draw : expected)
        EXPECT_EQ(random.Next(), draw);
}

TEST_F(OperatingPointFixture, NonConvergenceRestartsOnlyUnsettledUnknowns)
{
    // i(v) = |v| can never carry the −1 A the source asks for: Newton jumps between v = 1 and
    // v = −1 forever. Node 2 is linear and settles at once, so only node 1 is restarted.
    build.Add("I1", {"1", "0"}, {0, 0, 1});
    build.Add("N1", {"1", "0"}, {-1, 1, 0, 0, 1, 1, 2, 2});
    build.Add("I2", {"0", "2"}, {0, 0, 1e-3});
    build.Add("R1", {"2", "0"}, {1000});
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(Lines(),
              std::vector<std::string>{"Não convergiu após 50 tentativas. Erro=2 no nó 1"});
    EXPECT_EQ(host.eventRounds, 51 * 50 * 4);
    // 50 restarts of one unknown took 50 draws.
    RandomGenerator reference;
    for (int k = 0; k < 50; ++k)
        reference.Next();
    EXPECT_EQ(analysis.random.Next(), reference.Next());
    EXPECT_DOUBLE_EQ(V("2"), 1.0);
    ExpectStopEntryToggled();
}

TEST_F(OperatingPointFixture, RestartDrawsRandomStartingValues)
{
    // The first stamp of each attempt after the first sees the restarted iterate: the node that
    // never settles holds r/32767·100 − 50, r the generator's next draw; the settled one keeps
    // its value.
    build.Add("I1", {"1", "0"}, {0, 0, 1});
    build.Add("N1", {"1", "0"}, {-1, 1, 0, 0, 1, 1, 2, 2});
    build.Add("I2", {"0", "2"}, {0, 0, 1e-3});
    build.Add("R2", {"2", "0"}, {1000});
    const long roundsPerAttempt = 50 * 4;
    std::vector<double> node1, node2;
    host.onEvents = [&] {
        if (host.eventRounds > 1 && host.eventRounds % roundsPerAttempt == 1) {
            node1.push_back(V("1"));
            node2.push_back(V("2"));
            if (node1.size() == 3)
                analysis.circuit.StopRequest = 1;
        }
    };
    Run();
    ASSERT_EQ(node1.size(), 3u);
    const int draws[] = {346, 130, 10982};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(node1[k], draws[k] / 32767.0 * 100 - 50) << k;
        EXPECT_EQ(node2[k], 1.0) << k;
    }
}

TEST_F(OperatingPointFixture, ArithmeticFaultsEndTheRunNamingTheElement)
{
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    build.Add("R1", {"1", "0"}, {0});
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(Lines(), std::vector<std::string>{"Erro aritmético na estampa de R1."});
    ExpectStopEntryToggled();
}

TEST_F(OperatingPointFixture, ArithmeticFaultInADeviceModel)
{
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    build.Add("D1", {"1", "0"}, {1e-9, 0}); // VT = 0
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(Lines(), std::vector<std::string>{"Erro aritmético na estampa de D1."});
    ExpectStopEntryToggled();
}

TEST_F(OperatingPointFixture, ArithmeticFaultInTheDeviceReport)
{
    // VA = 0 is only divided by in the report, the transistor being cut off at 0 V.
    build.Add("R1", {"c", "0"}, {1000});
    Element& q = build.Add("Q1", {"c", "0", "0"});
    q.values[BipolarSlot::VA] = 0;
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(Lines().back(), "Erro aritmético no modelo de Q1.");
    ExpectStopEntryToggled();
}

} // namespace
