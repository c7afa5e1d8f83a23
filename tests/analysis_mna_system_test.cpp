// The equation system's stamps and solver: pivoting rules, singular warnings, complex division.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/mna_system.h"
#include "common/message_log.h"

using namespace talvor;

namespace {

struct SolverFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    MnaSystem mna;
};

TEST_F(SolverFixture, NoUnknownsSolvesTrivially)
{
    mna.Clear(0);
    EXPECT_EQ(mna.SolveMna(log), 0);
    EXPECT_TRUE(sink.lines.empty());
}

TEST_F(SolverFixture, MilliampereIntoKiloohmGivesOneVolt)
{
    mna.Clear(1);
    mna.StampAdmittance(1, 0, {1.0 / 1000, 0});
    mna.StampCurrentSource(0, 1, {1e-3, 0});
    ASSERT_EQ(mna.SolveMna(log), 0);
    EXPECT_DOUBLE_EQ(mna.Solution(1).re, 1.0);
    EXPECT_EQ(mna.Solution(1).im, 0.0);
    EXPECT_TRUE(sink.lines.empty());
}

TEST_F(SolverFixture, GroundRowAndColumnDoNotChangeTheSolution)
{
    // 1 kΩ from node 1 to node 2, 2 kΩ from node 2 to ground, 1 mA into node 1.
    auto build = [&](bool litterGround) {
        mna.Clear(2);
        mna.StampAdmittance(1, 2, {1e-3, 0});
        mna.StampAdmittance(2, 0, {0.5e-3, 0});
        mna.StampCurrentSource(0, 1, {1e-3, 0});
        if (litterGround)
            for (int k = 0; k <= 3; ++k) {
                mna.At(0, k) = {123.0 + k, -7.0};
                mna.At(k < 3 ? k : 0, 0) = {-55.0, 3.0};
            }
    };
    build(false);
    ASSERT_EQ(mna.SolveMna(log), 0);
    const Complex v1 = mna.Solution(1), v2 = mna.Solution(2);
    EXPECT_DOUBLE_EQ(v1.re, 3.0);
    EXPECT_DOUBLE_EQ(v2.re, 2.0);
    build(true);
    ASSERT_EQ(mna.SolveMna(log), 0);
    EXPECT_EQ(mna.Solution(1).re, v1.re);
    EXPECT_EQ(mna.Solution(2).re, v2.re);
}

// The pivot entry is left undivided, so entry (1, 1) after the solve shows which row was chosen.
struct PivotCase {
    const char* label;
    Complex row1, row2;
    double expectedPivotRe;
};

TEST_F(SolverFixture, PivotSearchKeepsEarlierRowOnTies)
{
    const PivotCase cases[] = {
        {"equal moduli keep row 1", {1, 0}, {-1, 0}, 1},
        {"equal moduli, complex", {0, 2}, {2, 0}, 0},
        {"strictly larger row 2 wins", {1, 0}, {-3, 0}, -3},
    };
    for (const PivotCase& c : cases) {
        mna.Clear(2);
        mna.At(1, 1) = c.row1;
        mna.At(1, 2) = {1, 0};
        mna.At(2, 1) = c.row2;
        mna.At(2, 2) = {1, 0};
        mna.At(1, 3) = {1, 0};
        mna.At(2, 3) = {2, 0};
        ASSERT_EQ(mna.SolveMna(log), 0) << c.label;
        EXPECT_EQ(mna.At(1, 1).re, c.expectedPivotRe) << c.label;
    }
}

// The solver's steps on their own, as the null vectors of a singular system use them: the
// search looks only at rows first..last, and a column of zeros (or of NaN) leaves row first.
TEST_F(SolverFixture, PivotSearchBetweenTwoRows)
{
    struct Case {
        const char* label;
        Complex column[5]; // entries (1..4, 1); [0] is ground's row
        int first, last;
        int row;
        double modulus;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {"largest modulus", {{}, {1, 0}, {0, -3}, {2, 0}, {}}, 1, 4, 2, 3},
        {"tie keeps the earlier row", {{}, {}, {0, 2}, {-2, 0}, {}}, 1, 4, 2, 2},
        {"rows above first are not looked at", {{}, {9, 0}, {1, 0}, {}, {}}, 2, 4, 2, 1},
        {"rows below last are not looked at", {{}, {1, 0}, {}, {}, {7, 0}}, 1, 3, 1, 1},
        {"all zero gives first", {{}, {}, {}, {}, {}}, 2, 4, 2, 0},
        {"NaN never wins", {{}, {}, {nan, 0}, {}, {}}, 1, 4, 1, 0},
        {"ground's row is no candidate", {{5, 0}, {}, {1, 0}, {}, {}}, 1, 4, 2, 1},
        {"3-4j has modulus 5", {{}, {}, {}, {3, -4}, {4, 0}}, 1, 4, 3, 5},
    };
    for (const Case& c : cases) {
        mna.Clear(4);
        for (int k = 0; k <= 4; ++k)
            mna.At(k, 1) = c.column[k];
        const Pivot pivot = mna.FindPivot(1, c.first, c.last);
        EXPECT_EQ(pivot.row, c.row) << c.label;
        EXPECT_EQ(pivot.modulus, c.modulus) << c.label;
        if (c.modulus > 0) {
            EXPECT_EQ(pivot.value.re, c.column[c.row].re) << c.label;
            EXPECT_EQ(pivot.value.im, c.column[c.row].im) << c.label;
        }
    }
}

TEST_F(SolverFixture, RowSwapAndEliminationTouchOnlyTheirEntries)
{
    mna.Clear(3);
    for (int r = 0; r <= 3; ++r)
        for (int c = 0; c <= 4; ++c)
            mna.At(r, c) = {10.0 * r + c, -1.0 * r};
    mna.SwapRows(1, 3, 3);
    EXPECT_EQ(mna.At(1, 0).re, 10); // column 0 stays
    EXPECT_EQ(mna.At(1, 2).re, 32);
    EXPECT_EQ(mna.At(3, 3).re, 13);
    EXPECT_EQ(mna.At(1, 4).re, 14); // past lastColumn
    EXPECT_EQ(mna.At(3, 4).re, 34);

    // Row 1 is now 30+...: take it as the pivot row of column 1 and reduce column 2 of rows 2 and
    // 3 only (lastRow 3), leaving row 1 and ground alone.
    const int columns[] = {2};
    mna.At(1, 2) = {1, 0};
    mna.At(2, 1) = {0, 1}; // a multiplier of j
    mna.At(3, 1) = {2, 0};
    const Complex before22 = mna.At(2, 2), before32 = mna.At(3, 2);
    mna.EliminateOthers(1, 1, columns, 1, 3);
    EXPECT_EQ(mna.At(1, 2).re, 1);
    EXPECT_EQ(mna.At(2, 2).re, before22.re);
    EXPECT_EQ(mna.At(2, 2).im, before22.im - 1);
    EXPECT_EQ(mna.At(3, 2).re, before32.re - 2);
    EXPECT_EQ(mna.At(0, 2).re, 2);  // ground's row is never reduced
    EXPECT_EQ(mna.At(2, 3).re, 23); // an unlisted column
}

TEST_F(SolverFixture, TinyPivotIsReportedAndUsed)
{
    mna.Clear(1);
    mna.At(1, 1) = {1e-16, 0};
    mna.At(1, 2) = {2e-16, 0};
    ASSERT_EQ(mna.SolveMna(log), 0);
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Possível sistema singular. Pivot=1e-16."});
    EXPECT_DOUBLE_EQ(mna.Solution(1).re, 2.0);
}

TEST_F(SolverFixture, ZeroPivotFailsAfterTheWarning)
{
    // Node 2 hangs on nothing: its column is all zero.
    mna.Clear(2);
    mna.StampAdmittance(1, 0, {1, 0});
    mna.StampCurrentSource(0, 1, {1, 0});
    EXPECT_EQ(mna.SolveMna(log), 1);
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Possível sistema singular. Pivot=0."});
}

TEST_F(SolverFixture, ImaginaryPivotCountsByModulusAndPrintsRealPart)
{
    mna.Clear(1);
    mna.At(1, 1) = {0, 1e-16};
    mna.At(1, 2) = {1e-16, 0};
    ASSERT_EQ(mna.SolveMna(log), 0);
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Possível sistema singular. Pivot=0."});
    EXPECT_DOUBLE_EQ(mna.Solution(1).re, 0.0);
    EXPECT_DOUBLE_EQ(mna.Solution(1).im, -1.0);

    sink.lines.clear();
    mna.Clear(1);
    mna.At(1, 1) = {0, 2};
    mna.At(1, 2) = {1, 0};
    ASSERT_EQ(mna.SolveMna(log), 0);
    EXPECT_TRUE(sink.lines.empty());
    EXPECT_DOUBLE_EQ(mna.Solution(1).im, -0.5);
}

TEST_F(SolverFixture, ComplexSystemMatchesHandSolution)
{
    // (1 + j)·x1 + x2 = 1 ; x1 − j·x2 = 0  →  x2 = −j·x1, x1·(1 + j − j) = 1 → x1 = 1, x2 = −j.
    mna.Clear(2);
    mna.At(1, 1) = {1, 1};
    mna.At(1, 2) = {1, 0};
    mna.At(2, 1) = {1, 0};
    mna.At(2, 2) = {0, -1};
    mna.At(1, 3) = {1, 0};
    ASSERT_EQ(mna.SolveMna(log), 0);
    EXPECT_NEAR(mna.Solution(1).re, 1, 1e-15);
    EXPECT_NEAR(mna.Solution(1).im, 0, 1e-15);
    EXPECT_NEAR(mna.Solution(2).re, 0, 1e-15);
    EXPECT_NEAR(mna.Solution(2).im, -1, 1e-15);
}

TEST_F(SolverFixture, TraceShowsEveryEntryOfTheLargestSystem)
{
    // Three-digit exponents make the widest entries: every one of 51 must reach the line.
    mna.Clear(MaxVariables);
    for (int k = 1; k <= MaxVariables; ++k)
        for (int m = 1; m <= MaxVariables + 1; ++m)
            mna.At(k, m) = m == 2 ? Complex{} : Complex{-1.5e-100, m == 1 ? 0 : 2.5e100};
    const std::string realEntry = "-1.50e-100 ", complexEntry = "-1.50e-100+2.50e+100j ";
    std::string realRow = "-1.50e-100 ......... ", complexRow = "-1.50e-100+0.00e+00j ";
    complexRow += "......... ......... ";
    for (int m = 3; m <= MaxVariables + 1; ++m) {
        realRow += realEntry;
        complexRow += complexEntry;
    }
    LogMnaRows(mna, log, TraceEntries::Real);
    ASSERT_EQ(sink.lines.size(), size_t{MaxVariables});
    EXPECT_EQ(sink.lines.front(), realRow);
    EXPECT_EQ(sink.lines.back(), realRow);
    sink.lines.clear();
    LogMnaRows(mna, log, TraceEntries::RealAndImaginary);
    ASSERT_EQ(sink.lines.size(), size_t{MaxVariables});
    EXPECT_EQ(sink.lines.back(), complexRow);
}

TEST(ComplexDivide, SmithQuotients)
{
    struct Case {
        Complex n, d, expected;
    };
    const Case cases[] = {
        {{1, 2}, {3, 4}, {0.44, 0.08}},
        {{1, 0}, {0, 2}, {0, -0.5}},
        {{6, -3}, {3, 0}, {2, -1}},
        {{1e300, 1e300}, {1e300, 1e300}, {1, 0}}, // no overflow in the intermediate products
        {{1e-300, 0}, {0, 1e-300}, {0, -1}},
    };
    for (const Case& c : cases) {
        const Complex q = Divide(c.n, c.d);
        EXPECT_NEAR(q.re, c.expected.re, 1e-15) << c.n.re << "/" << c.d.re;
        EXPECT_NEAR(q.im, c.expected.im, 1e-15) << c.n.re << "/" << c.d.re;
    }
}

// The elimination as plainly written: column by column from the right, every row, with a
// division from scratch for every entry. The solver's faster loops must give the same bits.
int ReferenceSolve(Complex (*m)[MnaSystem::Columns], int n)
{
    for (int i = 1; i <= n; ++i) {
        Complex t{};
        int l = i;
        for (int k = i; k <= n; ++k)
            if (std::hypot(m[k][i].re, m[k][i].im) > std::hypot(t.re, t.im)) {
                t = m[k][i];
                l = k;
            }
        for (int c = 1; c <= n + 1; ++c)
            std::swap(m[i][c], m[l][c]);
        if (std::hypot(t.re, t.im) == 0)
            return 1;
        for (int j = n + 1; j > i; --j) {
            const double c = t.re, d = t.im, a = m[i][j].re, b = m[i][j].im;
            Complex p;
            if (std::fabs(c) >= std::fabs(d)) {
                const double r = d / c, s = c + d * r;
                p = {(a + b * r) / s, (b - a * r) / s};
            } else {
                const double r = c / d, s = d + c * r;
                p = {(a * r + b) / s, (b * r - a) / s};
            }
            m[i][j] = p;
            if (p.re == 0 && p.im == 0)
                continue;
            for (int k = 1; k <= n; ++k)
                if (k != i) {
                    const Complex q = m[k][i];
                    m[k][j].re -= q.re * p.re - q.im * p.im;
                    m[k][j].im -= q.re * p.im + q.im * p.re;
                }
        }
    }
    return 0;
}

bool SameBits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

TEST_F(SolverFixture, SameBitsAsThePlainElimination)
{
    static Complex reference[MnaSystem::Rows][MnaSystem::Columns];
    std::uint32_t state = 12345;
    auto next = [&] {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 8) & 0xFFFF);
    };
    for (int trial = 0; trial < 500; ++trial) {
        const int n = 1 + next() % 12;
        mna.Clear(n);
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= n + 1; ++c) {
                const double v = (next() - 32768) / 1000.0;
                Complex z{}; // mostly sparse, with signed zeros, real, imaginary and complex
                switch (next() % 6) {
                case 1:
                    z = {v, 0};
                    break;
                case 2:
                    z = {0, v};
                    break;
                case 3:
                    z = {v, -v / 2};
                    break;
                case 4:
                    z = {-0.0, (next() & 1) ? -0.0 : 0.0};
                    break;
                default:
                    break;
                }
                mna.At(r, c) = z;
                reference[r][c] = z;
            }
        ASSERT_EQ(mna.SolveMna(log), ReferenceSolve(reference, n)) << trial;
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= n + 1; ++c) {
                ASSERT_TRUE(SameBits(mna.At(r, c).re, reference[r][c].re)) << trial;
                ASSERT_TRUE(SameBits(mna.At(r, c).im, reference[r][c].im)) << trial;
            }
    }
}

} // namespace
