// The sweep's points (modes, counts, end limit, refused and reduced sweeps) and the table's
// number formatting, magnitudes, phases and rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "analysis/mna_system.h"
#include "analysis/result_table.h"
#include "analysis/sweep.h"
#include "common/message_log.h"

namespace {

struct Walk {
    bool planned = false;
    int mode = -1;                 // the SweepSpec's mode after planning
    std::vector<std::string> rows; // the frequency column as "%g" writes it
    std::vector<std::string> log;
};

// The frequency column the sweep writes, capped so that a runaway walk fails instead of hanging.
Walk WalkSweep(int mode, int points, double fStart, double fEnd, size_t cap = 100000)
{
    SweepSpec sweep;
    sweep.mode = mode;
    sweep.points = points;
    sweep.fStart = fStart;
    sweep.fEnd = fEnd;
    RecordingSink sink;
    MessageLog log(sink);
    SweepPlan plan;
    Walk walk;
    walk.planned = PlanSweep(sweep, log, plan);
    walk.mode = sweep.mode;
    walk.log = sink.lines;
    if (!walk.planned)
        return walk;
    double f = plan.fStart;
    for (long index = 0; InSweep(plan, index, f) && walk.rows.size() < cap; ++index) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", f);
        walk.rows.push_back(text);
        f = NextFrequency(plan, f);
    }
    return walk;
}

using Rows = std::vector<std::string>;

TEST(SweepPlan, WalksTheThreeModes)
{
    struct Case {
        const char* what;
        int mode, points;
        double fStart, fEnd;
        Rows rows;
    };
    const Case cases[] = {
        {"per decade, 10 points including both ends",
         1,
         10,
         1,
         10,
         {"1", "1.29155", "1.6681", "2.15443", "2.78256", "3.59381", "4.64159", "5.99484",
          "7.74264", "10"}},
        {"worked example", 1, 3, 10, 1000, {"10", "31.6228", "100", "316.228", "1000"}},
        {"linear from 0", 0, 5, 0, 100, {"0", "25", "50", "75", "100"}},
        {"per octave from 0 turns linear", 2, 5, 0, 100, {"0", "25", "50", "75", "100"}},
        {"per decade from 0 turns linear", 1, 3, 0, 10, {"0", "5", "10"}},
        {"per octave", 2, 2, 1, 8, {"1", "2", "4", "8"}},
        {"per decade, start above end", 1, 10, 100, 10, {"100"}},
        {"per octave, start above end", 2, 10, 100, 10, {"100"}},
        {"per decade, end not positive", 1, 10, 1, -10, {"1"}},
        {"linear, negative values", 0, 3, -100, -10, {"-100", "-55", "-10"}},
        {"linear through zero", 0, 3, -1, 1, {"-1", "0", "1"}},
    };
    for (const Case& c : cases) {
        Walk walk = WalkSweep(c.mode, c.points, c.fStart, c.fEnd);
        EXPECT_TRUE(walk.planned) << c.what;
        EXPECT_EQ(walk.rows, c.rows) << c.what;
        EXPECT_TRUE(walk.log.empty()) << c.what;
    }
}

TEST(SweepPlan, StartOfZeroMakesTheSweepLinearForGood)
{
    EXPECT_EQ(WalkSweep(2, 5, 0, 100).mode, 0);
    EXPECT_EQ(WalkSweep(1, 5, 1, 100).mode, 1);
}

TEST(SweepPlan, LongSweepsKeepTheirPointCounts)
{
    // 9 decades of 1000 points share their ends: 9 × 999 + 1 rows.
    Walk decades = WalkSweep(1, 1000, 1, 1e9, 20000);
    ASSERT_EQ(decades.rows.size(), 8992u);
    EXPECT_EQ(decades.rows.back(), "1e+09");
    Walk linear = WalkSweep(0, 1000, 1, 10000);
    ASSERT_EQ(linear.rows.size(), 1000u);
    EXPECT_EQ(linear.rows.back(), "10000");
}

TEST(SweepPlan, RefusesSweepsThatCouldNotEnd)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int mode, points;
        double fStart, fEnd;
        const char* line;
    };
    const Case cases[] = {
        {1, 0, 1, 10, "Número de pontos inválido na varredura: 0. Tabela não gerada."},
        {0, -5, 0, 10, "Número de pontos inválido na varredura: -5. Tabela não gerada."},
        {0, 10, 1, inf, "Frequências inválidas na varredura: 1 a inf. Tabela não gerada."},
        {1, 10, nan, 10, "Frequências inválidas na varredura: nan a 10. Tabela não gerada."},
        {1, 10, -1, 10,
         "Frequência inicial negativa (-1) em escala logarítmica. Tabela não gerada."},
        {2, 10, -1e-3, 10,
         "Frequência inicial negativa (-0.001) em escala logarítmica. Tabela não gerada."},
    };
    for (const Case& c : cases) {
        Walk walk = WalkSweep(c.mode, c.points, c.fStart, c.fEnd);
        EXPECT_FALSE(walk.planned) << c.line;
        EXPECT_EQ(walk.log, Rows{c.line});
    }
}

TEST(SweepPlan, ReducesDegenerateSweepsToOnePointAtTheStart)
{
    struct Case {
        const char* what;
        int mode, points;
        double fStart, fEnd;
        const char* row;
        const char* line;
    };
    const Case cases[] = {
        {"one point, linear", 0, 1, 5, 100, "5", "Varredura de um só ponto, em 5."},
        {"one point, per decade", 1, 1, 5, 100, "5", "Varredura de um só ponto, em 5."},
        {"linear, end below start", 0, 10, 100, 10, "100",
         "Frequência final não supera a inicial: varredura de um só ponto, em 100."},
        {"linear, end equal to start", 0, 10, 7, 7, "7",
         "Frequência final não supera a inicial: varredura de um só ponto, em 7."},
        {"linear, all zero", 0, 10, 0, 0, "0",
         "Frequência final não supera a inicial: varredura de um só ponto, em 0."},
    };
    for (const Case& c : cases) {
        Walk walk = WalkSweep(c.mode, c.points, c.fStart, c.fEnd);
        EXPECT_TRUE(walk.planned) << c.what;
        EXPECT_EQ(walk.rows, Rows{c.row}) << c.what;
        EXPECT_EQ(walk.log, Rows{c.line}) << c.what;
    }
}

TEST(SweepPlan, LinearSweepNeverWritesMoreThanItsPointCount)
{
    // An increment far below the resolution of f leaves f unchanged: only the count ends it.
    Walk walk = WalkSweep(0, 50, 1e6, 1e6 + 1e-6);
    EXPECT_EQ(walk.rows.size(), 50u);
}

TEST(FormatG, WritesWhatPrintfWrites)
{
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1,
                                  -1,
                                  0.1,
                                  1e-5,
                                  1e-4,
                                  123456,
                                  1234567,
                                  999999.5,
                                  9.999995e-5,
                                  1e100,
                                  -1e-300,
                                  5e-324,
                                  1.7976931348623157e308,
                                  2.5,
                                  0.5,
                                  1.5e-7,
                                  100000,
                                  1e6,
                                  -1000,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-320, 308);
    for (int k = 0; k < 200000; ++k)
        values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
    std::uniform_int_distribution<long> integer(-10000000, 10000000);
    for (int k = 0; k < 20000; ++k)
        values.push_back(static_cast<double>(integer(random)) / 8);
    for (double v : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%g", v);
        char written[FormattedNumberCapacity];
        size_t length = FormatG(written, v);
        ASSERT_EQ(std::string(written, length), expected) << v;
    }
}

TEST(TableValues, MagnitudeAndPhaseInEveryUnit)
{
    const TableUnits linearDegrees{false, true}, decibelsRadians{true, false};
    EXPECT_DOUBLE_EQ(TableMagnitude(3, 4, linearDegrees), 5);
    EXPECT_NEAR(TableMagnitude(0, 10, decibelsRadians), 20, 1e-12);
    EXPECT_NEAR(TableMagnitude(0.1, 0, decibelsRadians), -20, 1e-12);
    // The floor: an exact zero and anything below 1e-50 read -1000 dB.
    EXPECT_DOUBLE_EQ(TableMagnitude(0, 0, decibelsRadians), -1000);
    EXPECT_DOUBLE_EQ(TableMagnitude(1e-60, 0, decibelsRadians), -1000);
    EXPECT_DOUBLE_EQ(TableMagnitude(0, 0, linearDegrees), 0);

    EXPECT_DOUBLE_EQ(TablePhase(0, 0, linearDegrees), 0);
    EXPECT_DOUBLE_EQ(TablePhase(-0.0, -0.0, linearDegrees), 0);
    EXPECT_DOUBLE_EQ(TablePhase(0, 1, linearDegrees), 90);
    EXPECT_DOUBLE_EQ(TablePhase(0, 1, decibelsRadians), M_PI / 2);
    EXPECT_DOUBLE_EQ(TablePhase(-1, 0, linearDegrees), 180);
    // No unwrapping, and the sign of a negative zero imaginary part is kept.
    EXPECT_DOUBLE_EQ(TablePhase(-1, -0.0, linearDegrees), -180);
    EXPECT_DOUBLE_EQ(TablePhase(1, -1, linearDegrees), -45);
}

TEST(TableRow, FrequencyThenMagnitudeAndPhaseOfEveryUnknown)
{
    MnaSystem mna;
    mna.Clear(3);
    mna.At(1, 4) = Complex{1, 0};
    mna.At(2, 4) = Complex{0.5, -0.5};
    mna.At(3, 4) = Complex{0, 0};
    RowText row;
    FormatRow(row, 100, mna, 3, TableUnits{false, true});
    EXPECT_EQ(std::string(row.text, row.length), "100 1 0 0.707107 -45 0 0\n");
    FormatRow(row, 31.62277660168379, mna, 3, TableUnits{true, false});
    EXPECT_EQ(std::string(row.text, row.length), "31.6228 0 0 -3.0103 -0.785398 -1000 0\n");
}

TEST(TableRow, TheLongestRowFits)
{
    MnaSystem mna;
    mna.Clear(MaxVariables);
    for (int k = 1; k <= MaxVariables; ++k)
        mna.At(k, MaxVariables + 1) = Complex{-1.2345678e-300, -2.3456789e-300};
    RowText row;
    FormatRow(row, -1.2345678e-300, mna, MaxVariables, TableUnits{false, false});
    EXPECT_LE(row.length, RowCapacity);
    EXPECT_EQ(row.text[row.length - 1], '\n');
}

} // namespace
