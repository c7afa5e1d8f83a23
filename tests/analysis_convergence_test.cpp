// The operating point's convergence and restart rules, pinned on circuits whose iteration counts
// show them. A piecewise-linear resistor makes Newton's iterates exact and designable: from 0 V
// the first segment's line lands on x1, which lies on the third segment, whose line lands on x2;
// the step from x1 to x2 is then the only small change, and the count says how it was judged.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/operating_point.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

struct ConvergenceFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    TestHost host;
    Analysis analysis{log, host};
    CircuitBuilder build{analysis.circuit, log};

    // 1 A into node name through an N resistor whose iterates from 0 V are x1, then x2 (x1 and x2
    // of one sign, |x1| well above 0).
    void AddTwoStepNode(const char* node, const char* source, const char* resistor, double x1,
                        double x2)
    {
        build.Add(source, {"0", node}, {0, 0, 1});
        // The segment through the origin holding 0 V gives x1 = 1/slope; the segment holding x1
        // has slope 1 and carries 1 A at x2.
        const double slope = 1 / x1, a = x1 / 5, b = 2 * x1 / 5, c = 2 * x1;
        if (x1 > 0)
            build.Add(resistor, {node, "0"},
                      {-a, -a * slope, a, a * slope, b, 1 + b - x2, c, 1 + c - x2});
        else // mirrored: 0 V on the third segment, x1 on the first
            build.Add(resistor, {node, "0"},
                      {c, 1 + c - x2, b, 1 + b - x2, a, a * slope, -a, -a * slope});
    }

    void Run()
    {
        build.Finish();
        FindOperatingPoint(analysis);
    }
};

struct StepCase {
    const char* label;
    double x1, x2;
    const char* counts;
};

void PrintTo(const StepCase& c, std::ostream* os) { *os << c.label; }

class ConvergenceRule : public ConvergenceFixture,
                        public ::testing::WithParamInterface<StepCase> {};

TEST_P(ConvergenceRule, LastSmallChangeIsJudgedAsTheRuleSays)
{
    const StepCase& c = GetParam();
    AddTwoStepNode("1", "I1", "N1", c.x1, c.x2);
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed) << c.label;
    ASSERT_GE(sink.lines.size(), 3u);
    EXPECT_EQ(sink.lines[0], c.counts) << c.label;
    EXPECT_EQ(sink.lines[1], "Ponto de operação encontrado.");
    EXPECT_NEAR(analysis.op.V[1], c.x2, 1e-12) << c.label;
}

INSTANTIATE_TEST_SUITE_P(
    OperatingPoint, ConvergenceRule,
    ::testing::Values(
        // Above 1 V in magnitude the change is divided by the value: 4e-6 on 5 V is 8e-7.
        StepCase{"relative above 1 V", 5, 5.000004, "Número de iterações: 2, Reinícios: 0."},
        StepCase{"relative above 1 V, negative", -5, -5.000004,
                 "Número de iterações: 2, Reinícios: 0."},
        // 1e-5 on 5 V is 2e-6, above the tolerance: one more iteration confirms x2.
        StepCase{"relative change above the tolerance", 5, 5.00001,
                 "Número de iterações: 3, Reinícios: 0."},
        StepCase{"relative change above the tolerance, negative", -5, -5.00001,
                 "Número de iterações: 3, Reinícios: 0."},
        // Below 1 V the change counts as it is: 8e-7 converges, although it is 1.6e-6 of 0.5 V.
        StepCase{"absolute below 1 V", 0.5, 0.5000008, "Número de iterações: 2, Reinícios: 0."},
        StepCase{"absolute below 1 V, negative", -0.5, -0.5000008,
                 "Número de iterações: 2, Reinícios: 0."},
        StepCase{"absolute change above the tolerance", 0.5, 0.5000015,
                 "Número de iterações: 3, Reinícios: 0."}));

// Every unknown counts: a second node that settles later holds the count up.
TEST_F(ConvergenceFixture, SlowestUnknownDecides)
{
    AddTwoStepNode("1", "I1", "N1", 5, 5.000004);
    AddTwoStepNode("2", "I2", "N2", 5, 5.00001);
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    EXPECT_EQ(sink.lines[0], "Número de iterações: 3, Reinícios: 0.");
}

// i(v) = |v| can never carry the −1 A its source asks for: Newton jumps between 1 and −1 for
// ever, each change 2, the largest of the iteration.
void AddOscillatingNode(CircuitBuilder& build, const char* node, const char* source,
                        const char* resistor)
{
    build.Add(source, {node, "0"}, {0, 0, 1});
    build.Add(resistor, {node, "0"}, {-1, 1, 0, 0, 1, 1, 2, 2});
}

TEST_F(ConvergenceFixture, EqualLargestChangesNameTheFirstUnknown)
{
    AddOscillatingNode(build, "1", "I1", "N1");
    AddOscillatingNode(build, "2", "I2", "N2");
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(sink.lines,
              std::vector<std::string>{"Não convergiu após 50 tentativas. Erro=2 no nó 1"});
}

TEST_F(ConvergenceFixture, LargestChangeNamesItsUnknown)
{
    // Node 1 settles; node 2 (an extra current's neighbour) keeps jumping.
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    build.Add("R1", {"1", "0"}, {1000});
    AddOscillatingNode(build, "2", "I2", "N2");
    Run();
    EXPECT_EQ(sink.lines,
              std::vector<std::string>{"Não convergiu após 50 tentativas. Erro=2 no nó 2"});
}

// A run that converges only after a restart reports the restarts and the iterations of its last
// attempt. From 0 V Newton jumps between the second and third segments (−1 V and 12 V) for ever;
// the first restart puts the node at −48.9 V, on the first segment, whose own solution is −20 V.
TEST_F(ConvergenceFixture, ConvergingAfterARestartCountsTheLastAttempt)
{
    build.Add("I1", {"0", "1"}, {0, 0, 1});
    build.Add("N1", {"1", "0"}, {-30, 2, -10, 0, 1, 0.5, 3, 0});
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    EXPECT_EQ(sink.lines, (std::vector<std::string>{"Número de iterações: 2, Reinícios: 1.",
                                                    "Ponto de operação encontrado.", "1: -20"}));
}

// A change of exactly the tolerance is converged: from 1e-6 V the node lands on 0 V.
TEST_F(ConvergenceFixture, ChangeOfExactlyTheToleranceIsConverged)
{
    host.settings.Einicio = "1e-6";
    build.Add("N1", {"1", "0"}, {-1, -1, 0, 0, 1, 1, 2, 2});
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    EXPECT_EQ(sink.lines[0], "Número de iterações: 1, Reinícios: 0.");
}

// Every unknown, node voltages and extra currents alike, starts at the "Einicio" value; ground
// stays at 0.
TEST_F(ConvergenceFixture, EveryUnknownStartsAtTheInitialValue)
{
    host.settings.Einicio = "0.25";
    build.Add("V1", {"1", "0"}, {0, 0, 1});
    build.Add("R1", {"1", "2"}, {1000});
    build.Add("D1", {"2", "0"});
    std::vector<double> start;
    host.onEvents = [&] {
        if (host.eventRounds == 1)
            start.assign(analysis.op.V, analysis.op.V + 4);
    };
    Run();
    ASSERT_FALSE(analysis.circuit.RunFailed);
    EXPECT_EQ(start, (std::vector<double>{0, 0.25, 0.25, 0.25}));
    // The diode's voltage from 1 V through 1 kΩ: 1 = 1000·I + VT·ln(1 + I/Is).
    EXPECT_NEAR(1 - analysis.op.V[2], -1000 * analysis.op.V[3], 1e-12);
    EXPECT_NEAR(analysis.op.V[2], 0.043429445 * std::log1p(-analysis.op.V[3] / 1e-9), 1e-6);
}

TEST_F(ConvergenceFixture, FailureNamesItsLargestChangeWithSixDigits)
{
    // i(v) = 1.5·|v| cannot carry the −1 A asked: Newton jumps between ±2/3 V, changes 4/3.
    build.Add("I1", {"1", "0"}, {0, 0, 1});
    build.Add("N1", {"1", "0"}, {-1, 1.5, 0, 0, 1, 1.5, 2, 3});
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(sink.lines,
              std::vector<std::string>{"Não convergiu após 50 tentativas. Erro=1.33333 no nó 1"});
}

TEST_F(ConvergenceFixture, UnknownsAreListedWithSixDigits)
{
    build.Add("I1", {"0", "1"}, {0, 0, 1.234567e-3});
    build.Add("R1", {"1", "0"}, {1000});
    Run();
    EXPECT_EQ(sink.lines,
              (std::vector<std::string>{"Número de iterações: 1, Reinícios: 0.",
                                        "Ponto de operação encontrado.", "1: 1.23457"}));
}

TEST_F(ConvergenceFixture, ChangeTooLargeForADoubleIsAnArithmeticFault)
{
    // From +1.7e308 V to −1.7e308 V: the change itself overflows.
    host.settings.Einicio = "1.7e308";
    build.Add("I1", {"1", "0"}, {0, 0, 1.7e308});
    build.Add("R1", {"1", "0"}, {1});
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Erro aritmético na solução do sistema."});
}

// A change of exactly the tolerance counts as settled when the restart picks its unknowns: node 2,
// 5e-7 times the swinging node 1, changes by exactly 1e-6 at every iteration and is never
// restarted, so 50 restarts take 50 draws.
TEST_F(ConvergenceFixture, ChangeOfExactlyTheToleranceIsNotRestarted)
{
    AddOscillatingNode(build, "1", "I1", "N1");
    build.Add("E1", {"2", "0", "1", "0"}, {5e-7});
    Run();
    EXPECT_TRUE(analysis.circuit.RunFailed);
    RandomGenerator reference;
    for (int k = 0; k < 50; ++k)
        reference.Next();
    EXPECT_EQ(analysis.random.Next(), reference.Next());
}

} // namespace
