// The diagnosis's replay of a failed operating point: the regions each device takes, how often
// they change, and the device as stamped at the first replayed iterate; the analysis is left as
// it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <iterator>
#include <memory>
#include <string>

#include "analysis/diagnosis/device_regions.h"
#include "analysis/diode.h"
#include "analysis/operating_point.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

// Devices without junction capacitances, so that the replayed regions follow the iterate alone.
struct RegionHistoryFixture : ::testing::Test {
    RegionHistoryFixture() { host.settings.CBcdiodos = false; }

    RecordingSink sink;
    MessageLog log{sink};
    TestHost host;
    Analysis analysis{log, host};
    CircuitBuilder build{analysis.circuit, log};
};

TEST_F(RegionHistoryFixture, DevicesSwingingWithANodeThatNeverSettles)
{
    // i(v) = |v| cannot carry the −1 A asked of node 1: Newton swings between 1 V (N1 on its
    // third segment) and −1 V (first segment). The diode on the same node swings with it between
    // reverse and direct beyond Vdmax, and the diode on node 2, held at 0.5 V, stays direct.
    build.Add("I1", {"1", "0"}, {0, 0, 1});
    build.Add("N1", {"1", "0"}, {-1, 1, 0, 0, 1, 1, 2, 2});
    build.Add("D1", {"1", "0"}, {1e-30});
    build.Add("V1", {"2", "0"}, {0, 0, 0.5});
    build.Add("D2", {"2", "0"});
    build.Finish();
    FindOperatingPoint(analysis);
    ASSERT_TRUE(analysis.circuit.RunFailed);
    const double before = analysis.op.V[1];

    auto history = std::make_unique<RegionHistory>();
    std::feraiseexcept(FE_OVERFLOW); // a fault flag the failed run left does not stop the replay
    ReplayIterations(analysis, 12, *history);
    EXPECT_EQ(analysis.op.V[1], before);
    // Segments 1 and 3 of N1, one change at every iterate after the first.
    EXPECT_EQ(history->changes[2], 11);
    EXPECT_EQ(history->seen[2], (1u << 1) | (1u << 3));
    // D1: reverse (region 0) and direct beyond Vdmax (2).
    EXPECT_EQ(history->changes[3], 11);
    EXPECT_EQ(history->seen[3], (1u << 0) | (1u << 2));
    // D2: direct all along.
    EXPECT_EQ(history->changes[5], 0);
    EXPECT_EQ(history->seen[5], 1u << 1);
    // The elements as stamped at the operating point's last iterate.
    EXPECT_EQ(history->atLast[2].values[8], analysis.op.V[1] > 0 ? 1 : -1);
    // Linear elements have no region.
    EXPECT_EQ(history->seen[1], 0u);
    EXPECT_EQ(history->changes[1], 0);
}

TEST_F(RegionHistoryFixture, ReplayStopsAtAFailedSolve)
{
    // The only path from node 1 is the diode: reverse-biased from −100 V its conductance
    // underflows to 0 and the replay's first solve has a zero pivot; it then records the
    // regions of that one iterate.
    build.Add("D1", {"1", "0"});
    build.Finish();
    analysis.op.V[1] = -100;
    // The replay goes on from the iterate, not from the devices conducting at the start.
    analysis.op.initialConduction = true;
    auto history = std::make_unique<RegionHistory>();
    // A history that held another replay's regions is overwritten.
    std::fill(std::begin(history->changes), std::end(history->changes), 99);
    std::fill(std::begin(history->seen), std::end(history->seen), ~0u);
    ReplayIterations(analysis, 12, *history);
    EXPECT_EQ(history->seen[1], 1u << 0);
    EXPECT_EQ(history->changes[1], 0);
    EXPECT_EQ(history->atLast[1].values[DiodeSlot::Gd], 0);
    EXPECT_TRUE(sink.lines.empty()); // the solver's warning is not the replay's to give
}

TEST_F(RegionHistoryFixture, EveryElementSlotIsReplayed)
{
    // 200 elements: a source holding 199 diodes direct, each in a slot of its own up to the last.
    build.Add("V1", {"1", "0"}, {0, 0, 0.5});
    for (int k = 2; k <= MaxElements; ++k)
        build.Add(("D" + std::to_string(k)).c_str(), {"1", "0"});
    build.Finish();
    ASSERT_EQ(analysis.circuit.elementCount, MaxElements);
    analysis.op.V[1] = 0.5;
    auto history = std::make_unique<RegionHistory>();
    ReplayIterations(analysis, 3, *history);
    for (int k = 2; k <= MaxElements; ++k) {
        EXPECT_EQ(history->seen[k], 1u << 1) << k;
        EXPECT_EQ(history->changes[k], 0) << k;
        EXPECT_EQ(history->atLast[k].name, "D" + std::to_string(k));
        EXPECT_GT(history->atLast[k].values[DiodeSlot::Gd], 0) << k;
    }
}

} // namespace
