// The result table's number formatting, magnitudes, phases and rows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "analysis/mna_system.h"
#include "analysis/result_table.h"

using namespace talvor;

namespace {

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
