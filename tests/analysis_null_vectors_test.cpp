// Null vectors and equilibration of complex matrices built with a known null space: every vector
// found must be annihilated by the matrix, be 1 at its free column and 0 at the others, and after
// equilibration scale back to the null space of the original. Also the weights of the weighted
// matrix, the left null vector, and which element shares move a zero eigenvalue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <random>
#include <vector>

#include "analysis/diagnosis/failed_system.h"
#include "analysis/operating_point.h"
#include "analysis/diagnosis/singular_causes.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

using Cx = std::complex<double>;

Cx At(const MnaSystem& m, int r, int c) { return {m.At(r, c).re, m.At(r, c).im}; }

// An n×n matrix whose columns listed in dependent are combinations of the independent columns to
// their left (the first of them, with none there, is zero), so that the elimination, which goes
// from left to right, leaves exactly those columns free. Entries random in both parts.
struct SingularMatrix {
    int n;
    std::vector<int> dependent;
    std::unique_ptr<MnaSystem> m = std::make_unique<MnaSystem>();
    std::vector<std::vector<Cx>> coefficients; // per dependent column, over columns 1..n

    SingularMatrix(int size, std::vector<int> dependentColumns, unsigned seed)
        : n(size), dependent(std::move(dependentColumns))
    {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> value(-2, 2);
        m->Clear(n);
        auto isDependent = [&](int c) {
            return std::find(dependent.begin(), dependent.end(), c) != dependent.end();
        };
        for (int r = 1; r <= n; ++r)
            for (int c = 1; c <= n; ++c)
                if (!isDependent(c))
                    m->At(r, c) = {value(random), value(random)};
        for (int d : dependent) {
            std::vector<Cx> k(n + 1);
            for (int c = 1; c < d; ++c)
                if (!isDependent(c))
                    k[c] = {value(random), value(random)};
            for (int r = 1; r <= n; ++r) {
                Cx sum = 0;
                for (int c = 1; c <= n; ++c)
                    sum += k[c] * At(*m, r, c);
                m->At(r, d) = {sum.real(), sum.imag()};
            }
            coefficients.push_back(k);
        }
    }

    // |A·v| against |A|·|v|.
    double Residual(const MnaSystem& a, const std::vector<Cx>& v) const
    {
        double worst = 0, scaleA = 0, scaleV = 0;
        for (int r = 1; r <= n; ++r) {
            Cx sum = 0;
            for (int c = 1; c <= n; ++c) {
                sum += At(a, r, c) * v[c];
                scaleA = std::max(scaleA, std::abs(At(a, r, c)));
            }
            worst = std::max(worst, std::abs(sum));
            scaleV = std::max(scaleV, std::abs(v[r]));
        }
        return worst / (scaleA * scaleV);
    }
};

std::vector<Cx> Vector(const NullVectors& found, int v, int n)
{
    std::vector<Cx> x(n + 1);
    for (int k = 1; k <= n; ++k)
        x[k] = {found.vector[v][k].re, found.vector[v][k].im};
    return x;
}

struct Shape {
    int n;
    std::vector<int> dependent; // columns that depend on the others
};

TEST(NullVectors, AnnihilatedByTheMatrixWithOneAtTheirFreeColumn)
{
    const Shape shapes[] = {{1, {}},
                            {2, {2}},
                            {3, {2}},
                            {4, {4}},
                            {5, {2, 4}},
                            {6, {3, 5, 6}},
                            {MaxVariables, {1, 25, 50}}};
    unsigned seed = 1;
    for (const Shape& shape : shapes)
        for (int trial = 0; trial < 5; ++trial, ++seed) {
            SingularMatrix a(shape.n, shape.dependent, seed);
            NullVectors found;
            FindNullVectors(*a.m, a.n, 1e-9, found);
            ASSERT_EQ(found.count, static_cast<int>(shape.dependent.size())) << seed;
            for (int v = 0; v < found.count; ++v) {
                const std::vector<Cx> x = Vector(found, v, a.n);
                EXPECT_EQ(found.freeColumn[v], shape.dependent[v]) << seed;
                EXPECT_LT(found.pivotModulus[v], 1e-9) << seed;
                EXPECT_EQ(x[found.freeColumn[v]], Cx(1, 0)) << seed;
                for (int other = 0; other < found.count; ++other) {
                    if (other != v) {
                        EXPECT_EQ(x[found.freeColumn[other]], Cx(0, 0)) << seed;
                    }
                }
                EXPECT_LT(a.Residual(*a.m, x), 1e-12) << seed << " vector " << v;
                // Nothing beyond n (a full-size system has no entry beyond it).
                if (a.n < MaxVariables) {
                    EXPECT_EQ(found.vector[v][a.n + 1].re, 0);
                }
            }
        }
}

TEST(NullVectors, ZeroMatrixOfFullSizeLeavesEveryColumnFree)
{
    auto zero = std::make_unique<MnaSystem>();
    zero->Clear(MaxVariables);
    auto found = std::make_unique<NullVectors>();
    FindNullVectors(*zero, MaxVariables, 1e-9, *found);
    ASSERT_EQ(found->count, MaxVariables);
    for (int v = 0; v < MaxVariables; ++v) {
        EXPECT_EQ(found->freeColumn[v], v + 1);
        EXPECT_EQ(found->pivotModulus[v], 0);
        for (int k = 1; k <= MaxVariables; ++k)
            ASSERT_EQ(Vector(*found, v, MaxVariables)[k], Cx(k == v + 1 ? 1 : 0, 0)) << v;
    }
}

TEST(NullVectors, EquilibratedMatrixScalesBackToTheOriginalNullSpace)
{
    const Shape shapes[] = {{3, {3}}, {4, {2}}, {5, {1, 5}}};
    unsigned seed = 100;
    for (const Shape& shape : shapes)
        for (int trial = 0; trial < 5; ++trial, ++seed) {
            SingularMatrix a(shape.n, shape.dependent, seed);
            // Rows and columns of very different sizes, as the unknowns' units make them.
            for (int r = 1; r <= a.n; ++r)
                for (int c = 1; c <= a.n; ++c) {
                    Complex& z = a.m->At(r, c);
                    const double s = std::pow(10.0, 3 * r - 2 * c);
                    z.re *= s;
                    z.im *= s;
                }
            MnaSystem scaled = *a.m;
            double columnScale[MaxVariables + 1];
            Equilibrate(scaled, a.n, columnScale);
            for (int k = 1; k <= a.n; ++k) {
                double row = 0, column = 0;
                for (int j = 1; j <= a.n; ++j) {
                    row = std::max(row, std::abs(At(scaled, k, j)));
                    column = std::max(column, std::abs(At(scaled, j, k)));
                }
                EXPECT_LE(row, 1 + 1e-15) << seed;
                if (column == 0) { // a zero column keeps a unit scale
                    EXPECT_EQ(columnScale[k], 1) << seed;
                } else {
                    EXPECT_NEAR(column, 1, 1e-15) << seed;
                    EXPECT_GT(columnScale[k], 0) << seed;
                }
            }
            NullVectors found;
            FindNullVectors(scaled, a.n, 1e-9, found);
            ASSERT_EQ(found.count, static_cast<int>(shape.dependent.size())) << seed;
            for (int v = 0; v < found.count; ++v) {
                std::vector<Cx> x = Vector(found, v, a.n);
                for (int k = 1; k <= a.n; ++k)
                    x[k] *= columnScale[k];
                EXPECT_LT(a.Residual(*a.m, x), 1e-12) << seed;
            }
        }
}

TEST(NullVectors, ZeroColumnIsFreeAndKeepsAUnitScale)
{
    auto m = std::make_unique<MnaSystem>();
    m->Clear(3);
    m->At(1, 1) = {2, 1};
    m->At(2, 3) = {0, -4};
    m->At(3, 1) = {1, 0};
    m->At(3, 3) = {5, 0};
    double columnScale[MaxVariables + 1];
    MnaSystem scaled = *m;
    Equilibrate(scaled, 3, columnScale);
    EXPECT_EQ(columnScale[2], 1);
    NullVectors found;
    FindNullVectors(scaled, 3, 1e-9, found);
    ASSERT_EQ(found.count, 1);
    EXPECT_EQ(found.freeColumn[0], 2);
    EXPECT_EQ(found.pivotModulus[0], 0);
}

TEST(WeightedMatrix, EachElementWeighedOnceBetweenOneAndTwo)
{
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    Analysis analysis(log, host);
    CircuitBuilder build(analysis.circuit, log);
    build.Add("R1", {"1", "0"}, {1});
    build.Add("R2", {"1", "2"}, {1});
    build.Add("C1", {"2", "0"}, {1});
    build.Finish();
    FailedSystem system(analysis, SystemPoint{true, 1, 1});
    ASSERT_TRUE(system.Build());
    auto weighted = std::make_unique<MnaSystem>();
    system.WeightedMatrix(*weighted);
    // R1 alone at (1, 1) with R2; R2 alone off the diagonal; C1 alone (imaginary) at (2, 2).
    const double wR2 = -weighted->At(1, 2).re;
    const double wR1 = weighted->At(1, 1).re - wR2;
    const double wC1 = weighted->At(2, 2).im;
    for (double w : {wR1, wR2, wC1}) {
        EXPECT_GE(w, 1);
        EXPECT_LT(w, 2);
    }
    EXPECT_EQ(weighted->At(2, 1).re, -wR2);
    EXPECT_EQ(weighted->At(2, 2).re, wR2);
    EXPECT_NE(wR1, wR2);
    EXPECT_NE(wR2, wC1);
    // Rows and columns beyond the system and the ground's are left clear.
    EXPECT_EQ(weighted->At(0, 1).re, 0);
    EXPECT_EQ(weighted->At(1, 0).re, 0);
}

Complex ToComplex(Cx z) { return {z.real(), z.imag()}; }

TEST(LeftNullVector, EquationsThatDependOnEachOther)
{
    // Row 4 = a·row 1 + b·row 2, rows and columns of very different sizes: u ∝ (a, b, 0, -1).
    const Cx a{0.3, -1.2}, b{-0.7, 0.4};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-2, 2);
    auto m = std::make_unique<MnaSystem>();
    m->Clear(4);
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c)
            m->At(r, c) = {value(random) * std::pow(10.0, r - 2 * c), value(random)};
    for (int c = 1; c <= 4; ++c)
        m->At(4, c) = ToComplex(a * At(*m, 1, c) + b * At(*m, 2, c));
    Complex u[MaxVariables + 1] = {};
    ASSERT_TRUE(LeftNullVector(*m, 4, u));
    const Cx u4{u[4].re, u[4].im};
    EXPECT_NEAR(std::abs(Cx(u[1].re, u[1].im) / u4 + a), 0, 1e-12);
    EXPECT_NEAR(std::abs(Cx(u[2].re, u[2].im) / u4 + b), 0, 1e-12);
    EXPECT_NEAR(std::abs(Cx(u[3].re, u[3].im) / u4), 0, 1e-12);
}

TEST(LeftNullVector, SmallestPivotWinsAndTheFirstOfEqualOnes)
{
    auto m = std::make_unique<MnaSystem>();
    Complex u[MaxVariables + 1] = {};
    // Rows 1 and 2 are zero: two left null vectors, both of pivot 0.
    m->Clear(3);
    m->At(3, 3) = {1, 0};
    ASSERT_TRUE(LeftNullVector(*m, 3, u));
    EXPECT_NE(u[1].re, 0);
    EXPECT_EQ(u[2].re, 0);
    // Row 2 = row 1 to 1e-12, then row 3 zero: the later vector has the smaller pivot.
    m->Clear(3);
    m->At(1, 1) = {1, 0};
    m->At(1, 2) = {1, 0};
    m->At(2, 1) = {1, 0};
    m->At(2, 2) = {1, 1e-12};
    ASSERT_TRUE(LeftNullVector(*m, 3, u));
    EXPECT_EQ(u[1].re, 0);
    EXPECT_NE(u[3].re, 0);
    // A regular system has none.
    m->Clear(2);
    m->At(1, 1) = {1, 0};
    m->At(2, 2) = {0, 1};
    EXPECT_FALSE(LeftNullVector(*m, 2, u));
}

TEST(WeighsIn, FirstOrderMoveOfTheZeroEigenvalue)
{
    // A complex share M and vectors v, w = M·v; u is built so that uᵀ·M·v is a chosen part of
    // |M|·|v|·|u|: nothing (u orthogonal to w), just above or below the 1e-9 threshold, or all.
    std::mt19937 random(3);
    std::uniform_real_distribution<double> value(-2, 2);
    for (int trial = 0; trial < 20; ++trial) {
        const int n = 4;
        auto share = std::make_unique<MnaSystem>();
        share->Clear(n);
        Complex v[MaxVariables + 1] = {};
        std::vector<Cx> w(n + 1);
        const double size = std::pow(10.0, trial % 5 - 2); // the share's scale
        for (int r = 1; r <= n; ++r) {
            v[r] = {value(random), value(random)};
            for (int c = 1; c <= n; ++c)
                share->At(r, c) = {size * value(random), size * value(random)};
            // Ground's row and column, which the share's size leaves out as the vectors do.
            share->At(r, 0) = share->At(0, r) = {1e3 * size, 0};
        }
        double shareSize = 0, vSize = 0;
        for (int r = 1; r <= n; ++r) {
            vSize = std::max(vSize, std::abs(Cx(v[r].re, v[r].im)));
            for (int c = 1; c <= n; ++c) {
                w[r] += At(*share, r, c) * Cx(v[c].re, v[c].im);
                shareSize = std::max(shareSize, std::abs(At(*share, r, c)));
            }
        }
        for (double part : {0.0, 3e-10, 3e-9, 1.0}) {
            // u = (w2, -w1, 0, 0) + t·e1 with uᵀw = t·w1.
            const Cx u1 = w[2], u2 = -w[1];
            const double uSize = std::max(std::abs(u1), std::abs(u2));
            const Cx t = part * shareSize * vSize * uSize / w[1];
            Complex u[MaxVariables + 1] = {};
            u[1] = ToComplex(u1 + t);
            u[2] = ToComplex(u2);
            EXPECT_EQ(WeighsIn(*share, n, v, u), part > 1e-9) << trial << " part " << part;
        }
    }
    auto empty = std::make_unique<MnaSystem>();
    empty->Clear(2);
    const Complex ones[MaxVariables + 1] = {{}, {1, 0}, {1, 0}};
    EXPECT_FALSE(WeighsIn(*empty, 2, ones, ones));
}

} // namespace
