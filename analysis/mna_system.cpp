// The equation system's stamp primitives and its Gauss-Jordan solver with partial pivoting.
#include "analysis/mna_system.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>

#include "common/fp_faults.h"
#include "common/message_log.h"

namespace talvor {

namespace {

// Smith's division by one denominator, prepared once for the many numerators of a pivot row.
// The same operations in the same order as a division from scratch, so the same bits.
class SmithDivisor {
public:
    explicit SmithDivisor(Complex denominator)
    {
        const double c = denominator.re, d = denominator.im;
        realLarger_ = std::fabs(c) >= std::fabs(d);
        ratio_ = realLarger_ ? d / c : c / d;
        scale_ = realLarger_ ? c + d * ratio_ : d + c * ratio_;
        zeroQuotient_ = General(Complex{});
    }

    Complex Quotient(Complex numerator) const
    {
        // Most entries of a circuit's system are +0 + 0j: their quotient is known in advance.
        if (IsPositiveZero(numerator.re) && IsPositiveZero(numerator.im))
            return zeroQuotient_;
        return General(numerator);
    }

private:
    static bool IsPositiveZero(double x) { return x == 0 && !std::signbit(x); }

    Complex General(Complex n) const
    {
        const double a = n.re, b = n.im;
        if (realLarger_)
            return {(a + b * ratio_) / scale_, (b - a * ratio_) / scale_};
        return {(a * ratio_ + b) / scale_, (b * ratio_ - a) / scale_};
    }

    bool realLarger_;
    double ratio_;
    double scale_;
    Complex zeroQuotient_;
};

} // namespace

Complex Divide(Complex numerator, Complex denominator)
{
    return SmithDivisor(denominator).Quotient(numerator);
}

void MnaSystem::Clear(int n)
{
    n_ = n;
    for (int row = 0; row <= n; ++row)
        for (int column = 0; column <= n + 1; ++column)
            entries_[row][column] = Complex{};
}

void MnaSystem::StampTransadmittance(int p, int q, int r, int s, Complex y)
{
    Complex& pr = entries_[p][r];
    pr.re += y.re;
    pr.im += y.im;
    Complex& qs = entries_[q][s];
    qs.re += y.re;
    qs.im += y.im;
    Complex& ps = entries_[p][s];
    ps.re -= y.re;
    ps.im -= y.im;
    Complex& qr = entries_[q][r];
    qr.re -= y.re;
    qr.im -= y.im;
}

void MnaSystem::StampCurrentSource(int p, int q, Complex current)
{
    Complex& rhsP = entries_[p][n_ + 1];
    rhsP.re -= current.re;
    rhsP.im -= current.im;
    Complex& rhsQ = entries_[q][n_ + 1];
    rhsQ.re += current.re;
    rhsQ.im += current.im;
}

Pivot MnaSystem::FindPivot(int column, int first, int last) const
{
    Pivot pivot{Complex{}, 0, first};
    for (int k = first; k <= last; ++k) {
        const double m = Modulus(entries_[k][column]);
        if (m > pivot.modulus)
            pivot = Pivot{entries_[k][column], m, k};
    }
    return pivot;
}

void MnaSystem::SwapRows(int i, int k, int lastColumn)
{
    for (int column = 1; column <= lastColumn; ++column) {
        const Complex swap = entries_[i][column];
        entries_[i][column] = entries_[k][column];
        entries_[k][column] = swap;
    }
}

void MnaSystem::EliminateOthers(int pivotRow, int column, const int* columns, int count,
                                int lastRow)
{
    // Each entry (k, j) is updated once per pivot, so taking the rows in the outer loop gives
    // the same bits as the column order while walking memory row by row.
    const Complex* pivotEntries = entries_[pivotRow];
    for (int k = 1; k <= lastRow; ++k) {
        if (k == pivotRow)
            continue;
        Complex* row = entries_[k];
        const double mRe = row[column].re, mIm = row[column].im;
        for (int c = 0; c < count; ++c) {
            const int j = columns[c];
            const Complex p = pivotEntries[j];
            row[j].re -= mRe * p.re - mIm * p.im;
            row[j].im -= mRe * p.im + mIm * p.re;
        }
    }
}

int MnaSystem::SolveMna(MessageLog& log)
{
    const int n = n_;
    metSmallPivot_ = false;
    for (int i = 1; i <= n; ++i) {
        const Pivot t = FindPivot(i, i, n);
        if (t.row != i)
            SwapRows(i, t.row, n + 1);

        if (t.modulus < SmallPivot) {
            metSmallPivot_ = true;
            // The log's sink is outside the arithmetic being watched: keep the caller's flags.
            std::fexcept_t flags;
            std::fegetexceptflag(&flags, FpFaultFlags);
            log.AppendLog("Possível sistema singular. Pivot=%g.", t.value.re);
            std::fesetexceptflag(&flags, FpFaultFlags);
            if (t.modulus == 0)
                return 1;
        }

        // Normalise row i from the right-hand side down to column i + 1; the pivot entry itself
        // and column i of the other rows are never read again. Columns whose normalised entry
        // is exactly zero change nothing in the other rows and are left out.
        Complex* pivotRowEntries = entries_[i];
        const SmithDivisor divisor(t.value);
        int activeColumns[Columns];
        int activeCount = 0;
        for (int j = n + 1; j > i; --j) {
            const Complex p = divisor.Quotient(pivotRowEntries[j]);
            pivotRowEntries[j] = p;
            if (p.re != 0 || p.im != 0)
                activeColumns[activeCount++] = j;
        }
        if (activeCount > 0)
            EliminateOthers(i, i, activeColumns, activeCount, n);
    }
    return 0;
}

SolveStatus SolveWatched(MnaSystem& mna, MessageLog& log)
{
    ClearFpFaults();
    const int status = mna.SolveMna(log);
    if (FpFaultRaised()) {
        log.AppendLog("Erro aritmético na solução do sistema.");
        return SolveStatus::ArithmeticFault;
    }
    return status == 0 ? SolveStatus::Solved : SolveStatus::Singular;
}

namespace {

// One entry of a trace line into out (room bytes); the number of characters it takes.
int FormatTraceEntry(char* out, size_t room, Complex entry, TraceEntries entries)
{
    if (entries == TraceEntries::Real)
        return entry.re != 0 ? std::snprintf(out, room, "%+9.2e ", entry.re)
                             : std::snprintf(out, room, "......... ");
    return entry.re != 0 || entry.im != 0
               ? std::snprintf(out, room, "%+9.2e%+9.2ej ", entry.re, entry.im)
               : std::snprintf(out, room, "......... ......... ");
}

} // namespace

void LogMnaRows(const MnaSystem& mna, MessageLog& log, TraceEntries entries)
{
    // 20 characters a complex entry, a little more when an exponent has three digits.
    char line[MnaSystem::Columns * 24 + 1];
    const int n = mna.Size();
    for (int k = 1; k <= n; ++k) {
        size_t length = 0;
        for (int m = 1; m <= n + 1; ++m) {
            const int written =
                FormatTraceEntry(line + length, sizeof line - length, mna.At(k, m), entries);
            if (written > 0) // never past the buffer, whatever an entry printed
                length = std::min(length + static_cast<size_t>(written), sizeof line - 1);
        }
        log.AppendLog("%s", line);
    }
}

} // namespace talvor
