// The rebuilt system of a failed solve: null vectors, equilibration, each element's share and
// the random weights that tell the circuit's connections from a coincidence of its values; and
// what the failing phases record for the diagnosis.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "analysis/diagnosis/failed_system.h"
#include "analysis/operating_point.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

std::unique_ptr<MnaSystem> Matrix(int n, const std::vector<Complex>& entries)
{
    auto m = std::make_unique<MnaSystem>();
    m->Clear(n);
    int k = 0;
    for (Complex entry : entries) {
        m->At(k / n + 1, k % n + 1) = entry;
        ++k;
    }
    return m;
}

// The largest modulus of A·v against the largest of A and of v.
double Residual(const MnaSystem& a, int n, const Complex* v)
{
    double worst = 0, scaleA = 0, scaleV = 0;
    for (int r = 1; r <= n; ++r) {
        Complex sum{};
        for (int c = 1; c <= n; ++c) {
            const Complex m = a.At(r, c);
            sum.re += m.re * v[c].re - m.im * v[c].im;
            sum.im += m.re * v[c].im + m.im * v[c].re;
            scaleA = std::fmax(scaleA, std::hypot(m.re, m.im));
        }
        worst = std::fmax(worst, std::hypot(sum.re, sum.im));
        scaleV = std::fmax(scaleV, std::hypot(v[r].re, v[r].im));
    }
    return scaleA == 0 ? worst : worst / (scaleA * scaleV);
}

TEST(FindNullVectors, OneVectorPerFreeColumn)
{
    struct Case {
        const char* what;
        int n;
        std::vector<Complex> entries;
        std::vector<int> freeColumns;
        std::vector<double> firstVector; // real parts, unknowns 1..n
    };
    const Case cases[] = {
        {"regular", 2, {{2, 0}, {1, 0}, {1, 0}, {3, 0}}, {}, {}},
        {"two nodes joined only to each other",
         2,
         {{1e-3, 0}, {-1e-3, 0}, {-1e-3, 0}, {1e-3, 0}},
         {2},
         {1, 1}},
        {"second column twice the first", 2, {{1, 0}, {2, 0}, {2, 0}, {4, 0}}, {2}, {-2, 1}},
        // A free column before a pivot still has that pivot eliminated from it.
        {"first column empty", 2, {{0, 0}, {1, 0}, {0, 0}, {2, 0}}, {1}, {1, 0}},
        {"last column the second less the first",
         3,
         {{1, 0}, {3, 0}, {2, 0}, {0, 0}, {2, 0}, {2, 0}, {1, 0}, {1, 0}, {0, 0}},
         {3},
         {1, -1, 1}},
        {"tank at resonance: jωC − j/(ωL) = 0", 1, {{0, 0}}, {1}, {1}},
        {"complex rank one", 2, {{0, 1}, {0, 2}, {1, 0}, {2, 0}}, {2}, {-2, 1}},
        {"all zero", 3, {{}, {}, {}, {}, {}, {}, {}, {}, {}}, {1, 2, 3}, {1, 0, 0}},
    };
    for (const Case& c : cases) {
        const auto a = Matrix(c.n, c.entries);
        NullVectors nulls;
        FindNullVectors(*a, c.n, 1e-15, nulls);
        std::vector<int> freeColumns(nulls.freeColumn, nulls.freeColumn + nulls.count);
        EXPECT_EQ(freeColumns, c.freeColumns) << c.what;
        for (int v = 0; v < nulls.count; ++v)
            EXPECT_LT(Residual(*a, c.n, nulls.vector[v]), 1e-12) << c.what << ", vector " << v;
        for (size_t k = 0; k < c.firstVector.size() && nulls.count > 0; ++k)
            EXPECT_NEAR(nulls.vector[0][k + 1].re, c.firstVector[k], 1e-12) << c.what;
    }
}

TEST(FindNullVectors, PivotsAreJudgedByTheirModulus)
{
    // One entry against the threshold: a complex pivot counts by its modulus, not its real part.
    struct Case {
        Complex entry;
        double zeroPivot;
        bool free;
    };
    const Case cases[] = {
        {{0, 1}, 0.5, false},       {{0.5, 1}, 1.1, false}, {{0.6, -0.8}, 0.99, false},
        {{-2, 0}, 1.5, false},      {{0, 1}, 1.5, true},    {{3e-16, 4e-16}, 1e-15, true},
        {{-3e-16, 0}, 1e-15, true}, {{0.5, 0}, 0.5, false},
    };
    NullVectors nulls; // one for every case: each search starts afresh
    for (const Case& c : cases) {
        const auto a = Matrix(1, {c.entry});
        FindNullVectors(*a, 1, c.zeroPivot, nulls);
        EXPECT_EQ(nulls.count, c.free ? 1 : 0) << c.entry.re << " " << c.entry.im;
        if (c.free) {
            EXPECT_DOUBLE_EQ(nulls.pivotModulus[0], std::hypot(c.entry.re, c.entry.im));
        }
    }
}

TEST(FindNullVectors, FreeColumnIsReducedByTheLaterPivots)
{
    // Against 1e-9, column 1 (1e-10, 2e-10) is free, yet not zero: the pivot of column 2 (the
    // 3 of row 2) must be eliminated from it for the vector to hold.
    const auto a = Matrix(2, {{1e-10, 0}, {1, 0}, {2e-10, 0}, {3, 0}});
    NullVectors nulls;
    FindNullVectors(*a, 2, 1e-9, nulls);
    ASSERT_EQ(nulls.count, 1);
    EXPECT_EQ(nulls.freeColumn[0], 1);
    EXPECT_EQ(nulls.vector[0][1].re, 1);
    EXPECT_NEAR(nulls.vector[0][2].re, -2e-10 / 3, 1e-20);
}

TEST(FindNullVectors, TiedPivotsTakeTheSolversRow)
{
    // Rows 1 and 2 tie for the first pivot; the solver keeps the first, and so reaches a
    // rounding residue, not a zero, as the last pivot. The replica must reach the same residue.
    RecordingSink sink;
    MessageLog log(sink);
    const auto a = Matrix(3, {{-1, 0},
                              {-0.5, 0},
                              {1.5, 0},
                              {1, 0},
                              {1, 0},
                              {0, 0},
                              {-0.38095238095238093, 0},
                              {-0.047619047619047616, 0},
                              {1, 0}});
    NullVectors nulls;
    FindNullVectors(*a, 3, 1e-15, nulls);
    MnaSystem solved = *a;
    solved.SolveMna(log); // goes on past a pivot that is small but not zero
    ASSERT_EQ(nulls.count, 1);
    EXPECT_EQ(nulls.freeColumn[0], 3);
    EXPECT_GT(nulls.pivotModulus[0], 0);
    ASSERT_EQ(sink.lines.size(), 1u);
    const std::string line = sink.lines[0];
    const double solverPivot = std::atof(line.substr(line.find('=') + 1).c_str());
    EXPECT_NEAR(std::fabs(solverPivot), nulls.pivotModulus[0], 1e-5 * nulls.pivotModulus[0])
        << line;
}

TEST(FindNullVectors, FiftyUnknowns)
{
    // A chain of 1 S conductances through all fifty nodes and none to ground: the one null vector
    // puts every node at the same voltage.
    MnaSystem a;
    a.Clear(MaxVariables);
    for (int k = 1; k < MaxVariables; ++k)
        a.StampAdmittance(k, k + 1, {1, 0});
    NullVectors nulls;
    FindNullVectors(a, MaxVariables, 1e-9, nulls);
    ASSERT_EQ(nulls.count, 1);
    EXPECT_EQ(nulls.freeColumn[0], MaxVariables);
    for (int k = 1; k <= MaxVariables; ++k)
        EXPECT_NEAR(nulls.vector[0][k].re, 1, 1e-12) << k;

    // The same result, reused for an empty system: every column free, each vector a unit one.
    a.Clear(MaxVariables);
    FindNullVectors(a, MaxVariables, 1e-9, nulls);
    ASSERT_EQ(nulls.count, MaxVariables);
    for (int v = 0; v < MaxVariables; ++v)
        for (int k = 1; k <= MaxVariables; ++k)
            EXPECT_EQ(nulls.vector[v][k].re, k == v + 1 ? 1 : 0) << v << " " << k;
}

TEST(FindNullVectors, StopsWhereTheSolverStops)
{
    // A triangle of resistors tied to nothing else: the solver reaches an exactly zero pivot.
    // The replica of its elimination must reach the same zero, not a rounding residue of it
    // (dividing by these pivots through their reciprocals, for one, leaves a residue).
    RecordingSink sink;
    MessageLog log(sink);
    MnaSystem a;
    a.Clear(3);
    a.StampAdmittance(1, 2, {1.0 / 6091, 0});
    a.StampAdmittance(2, 3, {1.0 / 4517, 0});
    a.StampAdmittance(1, 3, {1.0 / 1276, 0});
    NullVectors nulls;
    FindNullVectors(a, 3, 1e-15, nulls);
    MnaSystem solved = a;
    const int status = solved.SolveMna(log);
    ASSERT_EQ(nulls.count, 1);
    EXPECT_EQ(nulls.freeColumn[0], 3);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(nulls.pivotModulus[0], 0);
    EXPECT_EQ(sink.lines, std::vector<std::string>{"Possível sistema singular. Pivot=0."});
}

TEST(Equilibrate, RowsFirstThenColumns)
{
    // Rows first: [2 4; 1 8] becomes [0.5 1; 0.125 1], then its first column is doubled.
    // Ground's row and column (a 100 S conductance to node 1) neither weigh nor change; an empty
    // row and column stay empty, with a column scale of 1.
    MnaSystem a;
    a.Clear(3);
    a.At(1, 1) = {2, 0};
    a.At(1, 2) = {4, 0};
    a.At(2, 1) = {1, 0};
    a.At(2, 2) = {8, 0};
    a.At(1, 0) = a.At(0, 1) = {-100, 0};
    a.At(0, 0) = {100, 0};
    double columnScale[MaxVariables + 1];
    Equilibrate(a, 3, columnScale);
    const double expected[3][3] = {{1, 1, 0}, {0.25, 1, 0}, {0, 0, 0}};
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 3; ++c) {
            EXPECT_EQ(a.At(r, c).re, expected[r - 1][c - 1]) << r << " " << c;
            EXPECT_EQ(a.At(r, c).im, 0) << r << " " << c;
        }
    EXPECT_EQ(columnScale[1], 2);
    EXPECT_EQ(columnScale[2], 1);
    EXPECT_EQ(columnScale[3], 1);
    EXPECT_EQ(a.At(1, 0).re, -100);
    EXPECT_EQ(a.At(0, 1).re, -100);
    EXPECT_EQ(a.At(0, 0).re, 100);
}

TEST(Equilibrate, NullVectorsScaleBack)
{
    // A node tied by 1e9 S to a second one that is tied to nothing else, plus 1e-9 S elsewhere:
    // singular whatever the scale.
    const auto original = Matrix(
        3, {{1e9, 0}, {-1e9, 0}, {0, 0}, {-1e9, 0}, {1e9, 0}, {0, 0}, {0, 0}, {0, 0}, {1e-9, 0}});
    MnaSystem scaled = *original;
    double columnScale[MaxVariables + 1];
    Equilibrate(scaled, 3, columnScale);
    for (int r = 1; r <= 3; ++r) {
        double largest = 0;
        for (int c = 1; c <= 3; ++c)
            largest = std::fmax(largest, std::fabs(scaled.At(r, c).re));
        EXPECT_DOUBLE_EQ(largest, 1) << "row " << r;
    }
    NullVectors nulls;
    FindNullVectors(scaled, 3, 1e-9, nulls);
    ASSERT_EQ(nulls.count, 1);
    Complex v[MaxVariables + 1] = {};
    for (int k = 1; k <= 3; ++k)
        v[k] = {nulls.vector[0][k].re * columnScale[k], 0};
    EXPECT_LT(Residual(*original, 3, v), 1e-12);
    EXPECT_EQ(v[3].re, 0);
}

struct FailedSystemFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    TestHost host;
    Analysis analysis{log, host};
    CircuitBuilder build{analysis.circuit, log};

    // Whether the weighted system keeps a null vector: a dependency of the connections.
    bool WeightedSingular(FailedSystem& system)
    {
        MnaSystem weighted;
        system.WeightedMatrix(weighted);
        double scale[MaxVariables + 1];
        Equilibrate(weighted, system.Size(), scale);
        NullVectors nulls;
        FindNullVectors(weighted, system.Size(), 1e-9, nulls);
        return nulls.count > 0;
    }
};

TEST_F(FailedSystemFixture, PatternDropsSelfCancellingElementsAndKeepsCancellingPairs)
{
    build.Add("I1", {"0", "1"}, {0, 0, 1});
    build.Add("R1", {"1", "0"}, {1000});
    build.Add("R2", {"1", "0"}, {-1000});
    build.Add("V1", {"2", "2"}, {0, 0, 1});
    build.Finish();
    FailedSystem system(analysis, SystemPoint{});
    ASSERT_TRUE(system.Build());
    const int node1 = build.Unknown("1"), node2 = build.Unknown("2"), jV1 = build.Unknown("jV1");
    EXPECT_EQ(system.Matrix().At(node1, node1).re, 0); // R1 and R2 cancel in the sum
    const SparsityPattern pattern = system.Pattern();
    EXPECT_TRUE(pattern.Has(node1, node1));
    EXPECT_FALSE(pattern.Has(node1, 0)); // ground is no unknown of the pattern,
    EXPECT_TRUE(pattern.rows[0].none()); // nor an equation
    EXPECT_FALSE(pattern.Has(node2, jV1));
    EXPECT_FALSE(pattern.Has(jV1, node2));
    EXPECT_TRUE(pattern.rows[jV1].none());
}

TEST_F(FailedSystemFixture, WeightsKeepConnectionFaultsAndBreakCoincidences)
{
    struct Case {
        const char* what;
        std::function<void(CircuitBuilder&)> circuit;
        bool singular;
    };
    const Case cases[] = {
        {"two nodes joined only to each other",
         [](CircuitBuilder& b) {
             b.Add("V1", {"1", "0"}, {0, 0, 1});
             b.Add("R1", {"1", "0"}, {1000});
             b.Add("R2", {"2", "3"}, {1000});
             b.Add("R3", {"3", "2"}, {2000});
         },
         true},
        {"a loop of sources away from ground",
         [](CircuitBuilder& b) {
             b.Add("V1", {"1", "2"}, {0, 0, 1});
             b.Add("V2", {"2", "3"}, {0, 0, 1});
             b.Add("V3", {"3", "1"}, {0, 0, 1});
             b.Add("R1", {"1", "0"}, {1000});
             b.Add("R2", {"2", "0"}, {1000});
             b.Add("R3", {"3", "0"}, {1000});
         },
         true},
        {"a negative resistance that cancels a positive one",
         [](CircuitBuilder& b) {
             b.Add("I1", {"0", "1"}, {0, 0, 1});
             b.Add("R1", {"1", "0"}, {1000});
             b.Add("R2", {"1", "0"}, {-1000});
         },
         false},
        {"a bridge balanced exactly behind an ideal amplifier",
         [](CircuitBuilder& b) {
             b.Add("R1", {"1", "2"}, {1000});
             b.Add("R2", {"2", "0"}, {1000});
             b.Add("R3", {"1", "3"}, {1000});
             b.Add("R4", {"3", "0"}, {1000});
             b.Add("O1", {"1", "0", "2", "3"});
         },
         false},
    };
    for (const Case& c : cases) {
        analysis.circuit.Reset();
        CircuitBuilder builder(analysis.circuit, log);
        c.circuit(builder);
        builder.Finish();
        FailedSystem system(analysis, SystemPoint{});
        ASSERT_TRUE(system.Build()) << c.what;
        NullVectors real;
        FindNullVectors(system.Matrix(), system.Size(), 1e-15, real);
        EXPECT_GT(real.count, 0) << c.what << ": the circuit itself must be singular";
        EXPECT_EQ(WeightedSingular(system), c.singular) << c.what;
    }
}

TEST_F(FailedSystemFixture, WeightsSpreadOverOneToTwo)
{
    // Fifty 1 S conductances, each to ground from a node of its own: the weighted diagonal is
    // the sequence of weights, distinct and spread over [1, 2).
    for (int k = 1; k <= MaxVariables; ++k)
        build.Add(("R" + std::to_string(k)).c_str(), {std::to_string(k).c_str(), "0"}, {1});
    build.Finish();
    FailedSystem system(analysis, SystemPoint{});
    ASSERT_TRUE(system.Build());
    MnaSystem weighted = system.Matrix(); // what the matrix held before is replaced
    system.WeightedMatrix(weighted);
    std::vector<double> weights;
    for (int k = 1; k <= MaxVariables; ++k)
        weights.push_back(weighted.At(k, k).re);
    std::sort(weights.begin(), weights.end());
    EXPECT_GE(weights.front(), 1);
    EXPECT_LT(weights.back(), 2);
    EXPECT_GT(weights.back() - weights.front(), 0.8);
    EXPECT_EQ(std::adjacent_find(weights.begin(), weights.end()), weights.end());
}

TEST_F(FailedSystemFixture, CapacitorsStampNothingAtZeroFrequency)
{
    build.Add("V1", {"1", "0"}, {1, 0, 0});
    build.Add("C1", {"1", "2"}, {1e-6});
    build.Add("C2", {"2", "0"}, {1e-6});
    build.Finish();
    const int node2 = build.Unknown("2");
    for (double omega : {0.0, 1000.0}) {
        FailedSystem system(analysis, SystemPoint{true, omega / 6.283185307179586, omega});
        ASSERT_TRUE(system.Build());
        EXPECT_EQ(system.Pattern().rows[node2].any(), omega != 0) << "omega " << omega;
    }
}

TEST_F(FailedSystemFixture, DevicesStampTheirSmallSignalModelInASweep)
{
    // Node 1 reaches ground at a sweep point only through the conducting diode.
    host.settings.CBcdiodos = false;
    build.Add("I1", {"0", "1"}, {0, 0, 1e-3});
    build.Add("D1", {"1", "0"});
    build.Finish();
    FindOperatingPoint(analysis);
    ASSERT_FALSE(analysis.circuit.RunFailed);
    for (double omega : {0.0, 1000.0}) {
        FailedSystem system(analysis, SystemPoint{true, omega / 6.283185307179586, omega});
        ASSERT_TRUE(system.Build());
        EXPECT_GT(system.Matrix().At(1, 1).re, 0) << "omega " << omega;
        EXPECT_TRUE(system.Pattern().Has(1, 1)) << "omega " << omega;
    }
}

// What the phases leave for the diagnosis, and only when they fail.
TEST_F(FailedSystemFixture, OperatingPointRecordsHowItFailed)
{
    build.Add("V1", {"1", "0"}, {0, 0, 1});
    build.Add("R1", {"1", "0"}, {1000});
    build.Finish();
    FindOperatingPoint(analysis);
    EXPECT_EQ(analysis.failure.kind, RunFailure::Kind::None);

    analysis.circuit.Reset();
    CircuitBuilder singular(analysis.circuit, log);
    singular.Add("V1", {"1", "0"}, {0, 0, 1});
    singular.Add("V2", {"1", "0"}, {0, 0, 2});
    singular.Finish();
    FindOperatingPoint(analysis);
    EXPECT_EQ(analysis.failure.kind, RunFailure::Kind::DcSolve);

    analysis.circuit.Reset();
    CircuitBuilder cycling(analysis.circuit, log);
    cycling.Add("I1", {"0", "1"}, {0, 0, 1});
    cycling.Add("N1", {"1", "0"}, {-1, 3, 0, 2, 1, 2.5, 2, 3.5});
    cycling.Finish();
    FindOperatingPoint(analysis);
    EXPECT_EQ(analysis.failure.kind, RunFailure::Kind::DcConvergence);
    EXPECT_EQ(analysis.failure.unknown, 1);
}

} // namespace
