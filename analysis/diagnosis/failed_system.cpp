// Rebuilding a failed system element by element, and its null vectors.
#include "analysis/diagnosis/failed_system.h"

#include <cmath>
#include <cstdint>

#include "analysis/analysis.h"
#include "analysis/element_stamps.h"
#include "common/fp_faults.h"

namespace talvor {

namespace {

bool IsZero(Complex z) { return z.re == 0 && z.im == 0; }

// Weights for WeightedMatrix: a fixed sequence, so a diagnosis reads the same every time.
class WeightSequence {
public:
    double Next()
    {
        state_ = state_ * 6364136223846793005u + 1442695040888963407u;
        return 1 + static_cast<double>(state_ >> 11) / 9007199254740992.0; // [1, 2)
    }

private:
    std::uint64_t state_ = 12345;
};

} // namespace

FailedSystem::FailedSystem(const Analysis& analysis, const SystemPoint& point)
    : analysis_(analysis), point_(point), n_(analysis.circuit.variableCount)
{
    for (int k = 1; k <= analysis.circuit.elementCount; ++k)
        elements_[k] = analysis.circuit.element(k);
}

void FailedSystem::StampOne(Element& element, MnaSystem& mna) const
{
    const AnalysisSettings& settings = analysis_.Settings();
    if (point_.ac)
        StampElementAc(element, point_.omega, settings, analysis_.op.g0, mna);
    else
        StampElementDc(analysis_.op, settings, element, mna);
}

bool FailedSystem::Build()
{
    full_.Clear(n_);
    faulting_ = 0;
    for (int k = 1; k <= analysis_.circuit.elementCount && faulting_ == 0; ++k) {
        ClearFpFaults();
        StampOne(elements_[k], full_);
        if (FpFaultRaised())
            faulting_ = k;
    }
    return faulting_ == 0;
}

const MnaSystem& FailedSystem::Share(int k)
{
    share_.Clear(n_);
    StampOne(elements_[k], share_);
    return share_;
}

bool FailedSystem::StampsAnything(int k)
{
    const MnaSystem& share = Share(k);
    for (int r = 1; r <= n_; ++r)
        for (int c = 1; c <= n_; ++c)
            if (!IsZero(share.At(r, c)))
                return true;
    return false;
}

SparsityPattern FailedSystem::Pattern()
{
    SparsityPattern pattern;
    pattern.n = n_;
    for (int k = 1; k <= analysis_.circuit.elementCount; ++k) {
        const MnaSystem& share = Share(k);
        for (int r = 1; r <= n_; ++r)
            for (int c = 1; c <= n_; ++c)
                if (!IsZero(share.At(r, c)))
                    pattern.Set(r, c);
    }
    return pattern;
}

void FailedSystem::WeightedMatrix(MnaSystem& weighted)
{
    WeightSequence weights;
    weighted.Clear(n_);
    for (int k = 1; k <= analysis_.circuit.elementCount; ++k) {
        const MnaSystem& share = Share(k);
        const double w = weights.Next();
        for (int r = 1; r <= n_; ++r)
            for (int c = 1; c <= n_; ++c) {
                weighted.At(r, c).re += w * share.At(r, c).re;
                weighted.At(r, c).im += w * share.At(r, c).im;
            }
    }
}

void FindNullVectors(const MnaSystem& matrix, int n, double zeroPivot, NullVectors& out)
{
    MnaSystem a = matrix;
    int pivotRowOf[MaxVariables + 1] = {}; // 0 for a free column
    out.count = 0;
    int row = 1; // the row the next pivot moves to
    for (int i = 1; i <= n; ++i) {
        const Pivot t = a.FindPivot(i, row, n);
        if (t.modulus < zeroPivot) {
            out.freeColumn[out.count] = i;
            out.pivotModulus[out.count] = t.modulus;
            ++out.count;
            continue;
        }
        if (t.row != row)
            a.SwapRows(row, t.row, n);
        // The columns still to be reduced: those to the right, as in the solver, and the free
        // ones to the left, whose null vectors need every pivot.
        int active[MaxVariables + 1];
        int activeCount = 0;
        for (int j = n; j >= 1; --j) {
            if (j < i && pivotRowOf[j] != 0)
                continue;
            if (j == i)
                continue;
            const Complex p = Divide(a.At(row, j), t.value);
            a.At(row, j) = p;
            if (!IsZero(p))
                active[activeCount++] = j;
        }
        a.EliminateOthers(row, i, active, activeCount, n);
        pivotRowOf[i] = row++;
    }
    for (int v = 0; v < out.count; ++v) {
        const int f = out.freeColumn[v];
        Complex* vector = out.vector[v];
        for (int k = 0; k <= MaxVariables; ++k)
            vector[k] = Complex{};
        vector[f] = Complex{1, 0};
        for (int p = 1; p <= n; ++p)
            if (pivotRowOf[p] != 0) {
                const Complex entry = a.At(pivotRowOf[p], f);
                vector[p] = Complex{-entry.re, -entry.im};
            }
    }
}

void Equilibrate(MnaSystem& matrix, int n, double columnScale[MaxVariables + 1])
{
    for (int pass = 0; pass < 2; ++pass) {
        const bool byRows = pass == 0;
        for (int k = 1; k <= n; ++k) {
            double largest = 0;
            for (int j = 1; j <= n; ++j) {
                const Complex z = byRows ? matrix.At(k, j) : matrix.At(j, k);
                largest = std::fmax(largest, Modulus(z));
            }
            if (!byRows)
                columnScale[k] = largest == 0 ? 1 : 1 / largest;
            if (largest == 0)
                continue;
            for (int j = 1; j <= n; ++j) {
                Complex& z = byRows ? matrix.At(k, j) : matrix.At(j, k);
                z.re /= largest;
                z.im /= largest;
            }
        }
    }
}

} // namespace talvor
