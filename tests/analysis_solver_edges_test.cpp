// Edges of the equation system: the singular warning's threshold on both sides, a right-hand
// side of exactly 1 + 1j, a current source leaving a node with an imaginary part, and the ground
// row and column cleared at every point of a long sweep.
#include <gtest/gtest.h>

#include <cfenv>
#include <string>
#include <vector>

#include "analysis/mna_system.h"
#include "analysis/operating_point.h"
#include "analysis/sweep.h"
#include "analysis_test_circuit.h"
#include "test_support.h"

using namespace talvor;

namespace {

TEST(SolverEdges, SingularWarningOnlyBelowOneFemto)
{
    struct Case {
        double pivot;
        bool warned;
    };
    const Case cases[] = {{9.87654e-16, true}, {1e-15, false}, {5e-15, false}, {1e-14, false}};
    for (const Case& c : cases) {
        RecordingSink sink;
        MessageLog log(sink);
        MnaSystem mna;
        mna.Clear(1);
        mna.At(1, 1) = {c.pivot, 0};
        mna.At(1, 2) = {c.pivot, 0};
        ASSERT_EQ(mna.SolveMna(log), 0);
        EXPECT_EQ(mna.Solution(1).re, 1);
        EXPECT_EQ(sink.lines, c.warned ? std::vector<std::string>{"Possível sistema singular. "
                                                                  "Pivot=9.87654e-16."}
                                       : std::vector<std::string>{})
            << c.pivot;
    }
}

TEST(SolverEdges, RightHandSideOfOnePlusJ)
{
    RecordingSink sink;
    MessageLog log(sink);
    MnaSystem mna;
    mna.Clear(1);
    mna.StampAdmittance(1, 0, {2, 0});
    mna.StampCurrentSource(0, 1, {1, 1});
    ASSERT_EQ(mna.SolveMna(log), 0);
    EXPECT_EQ(mna.Solution(1).re, 0.5);
    EXPECT_EQ(mna.Solution(1).im, 0.5);
}

TEST(SolverEdges, CurrentSourceLeavingANodeKeepsItsImaginaryPart)
{
    // 1 mA at 90° from node 1 through the source to ground: V(1) = −1j·1000·1 mA.
    RecordingSink sink;
    MessageLog log(sink);
    MnaSystem mna;
    mna.Clear(2);
    mna.StampAdmittance(1, 0, {1e-3, 0});
    mna.StampAdmittance(2, 0, {1e-3, 0});
    mna.StampCurrentSource(1, 2, {0, 1e-3});
    ASSERT_EQ(mna.SolveMna(log), 0);
    EXPECT_NEAR(mna.Solution(1).im, -1, 1e-15);
    EXPECT_NEAR(mna.Solution(2).im, 1, 1e-15);
}

TEST(SolverEdges, GroundRowAndColumnAreClearedAtEveryPoint)
{
    // A conductance of 1e307 S to ground lands 1e307 in the ground's row and column at every
    // point; added up over a score of points it would overflow.
    TempDir dir;
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    Analysis analysis(log, host);
    CircuitBuilder build(analysis.circuit, log);
    build.Add("I1", {"0", "1"}, {1, 0, 0});
    build.Add("R1", {"1", "0"}, {1e-307});
    build.Finish();
    analysis.circuit.tablePath = dir.Path() + "/t.tab";
    analysis.circuit.sweep = SweepSpec{0, 400, 1, 400};
    FindOperatingPoint(analysis);
    ASSERT_FALSE(analysis.circuit.RunFailed);
    RunSweep(analysis);
    EXPECT_FALSE(analysis.circuit.RunFailed) << sink.lines.back();
    EXPECT_EQ(SplitLines(ReadWholeFile(dir.Path() + "/t.tab")).size(), 401u);
}

TEST(SolverEdges, FaultFlagsLeftByWindowEventsAreNotTheSolversFaults)
{
    // The window system runs between the last stamp and the solve; whatever flags it leaves
    // raised belong to it.
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    host.onEvents = [] { std::feraiseexcept(FE_INVALID | FE_DIVBYZERO); };
    Analysis analysis(log, host);
    CircuitBuilder build(analysis.circuit, log);
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    build.Add("R1", {"1", "0"}, {1000});
    build.Finish();
    FindOperatingPoint(analysis);
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_FALSE(analysis.circuit.RunFailed) << sink.lines.front();
    EXPECT_EQ(analysis.op.V[1], 1);
}

} // namespace
