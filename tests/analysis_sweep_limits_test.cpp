// Sweeps that would write millions of rows, or never end, are refused before the table is made.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

#include "analysis/sweep.h"
#include "common/message_log.h"

namespace {

struct Planned {
    bool accepted;
    std::vector<std::string> log;
    long rows; // counted by walking the plan, up to MaxSweepRows + 10
};

Planned Plan(int mode, int points, double fStart, double fEnd)
{
    SweepSpec sweep;
    sweep.mode = mode;
    sweep.points = points;
    sweep.fStart = fStart;
    sweep.fEnd = fEnd;
    RecordingSink sink;
    MessageLog log(sink);
    SweepPlan plan;
    Planned planned{PlanSweep(sweep, log, plan), sink.lines, 0};
    if (planned.accepted) {
        double f = plan.fStart;
        while (InSweep(plan, planned.rows, f) && planned.rows < MaxSweepRows + 10) {
            f = NextFrequency(plan, f);
            ++planned.rows;
        }
    }
    return planned;
}

} // namespace

TEST(SweepLimits, AcceptsSweepsUpToTheRowLimit)
{
    Planned linear = Plan(0, MaxSweepRows, 1, 1e6);
    EXPECT_TRUE(linear.accepted);
    EXPECT_EQ(linear.rows, MaxSweepRows);
    // 300 decades of 1000 points: 299,701 rows.
    Planned decades = Plan(1, 1000, 1e-150, 1e150);
    EXPECT_TRUE(decades.accepted);
    EXPECT_EQ(decades.rows, 299701);
    EXPECT_TRUE(decades.log.empty());
}

TEST(SweepLimits, RefusesLongerSweepsWithTheirRowCount)
{
    struct Case {
        int mode, points;
        double fStart, fEnd;
        const char* line;
    };
    const Case cases[] = {
        {0, MaxSweepRows + 1, 1, 10,
         "Varredura longa demais: 1000001 pontos (máximo 1000000). Tabela não gerada."},
        {0, 2147483647, 1, 10,
         "Varredura longa demais: 2147483647 pontos (máximo 1000000). Tabela não gerada."},
        {1, 1000000000, 1, 1e300,
         "Varredura longa demais: 300000011001 pontos (máximo 1000000). Tabela não gerada."},
        // The ratio of the end to the start overflows: no count at all.
        {2, 10, 1e-300, 1e300,
         "Varredura longa demais: inf pontos (máximo 1000000). Tabela não gerada."},
    };
    for (const Case& c : cases) {
        Planned planned = Plan(c.mode, c.points, c.fStart, c.fEnd);
        EXPECT_FALSE(planned.accepted) << c.line;
        EXPECT_EQ(planned.log, std::vector<std::string>{c.line});
    }
}

TEST(SweepLimits, RefusesALogarithmicStartThatCouldNeverGrow)
{
    // 5e-324 times a ratio of 1.0023 rounds back to 5e-324.
    for (double start : {5e-324, DBL_MIN / 2}) {
        Planned planned = Plan(1, 1000, start, 1);
        EXPECT_FALSE(planned.accepted) << start;
        ASSERT_EQ(planned.log.size(), 1u);
        EXPECT_EQ(planned.log[0].rfind("Frequências inválidas na varredura: ", 0), 0u);
    }
    EXPECT_TRUE(Plan(1, 1000, DBL_MIN, DBL_MIN * 10).accepted);
}
