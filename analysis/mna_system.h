// The modified-nodal equation system and its Gauss-Jordan solver.
//
// One cycle of use:
//   1. Clear(n) with n = variableCount;
//   2. stamp every element (StampTransadmittance, StampCurrentSource, At(row, column));
//   3. optionally trace the system: the caller's heading, then LogMnaRows;
//   4. SolveMna(n, log): 0 on success, 1 on a zero pivot;
//   5. read unknown k (1..n) from Solution(k), which is entry (k, n + 1).
// Row and column 0 belong to ground: stamps may write there, the solver ignores them.
#pragma once

#include <cmath>

#include "netlist/circuit.h"

namespace talvor {

class MessageLog;

struct Complex {
    double re = 0;
    double im = 0;
};

// A purely real or purely imaginary admittance or current.
inline Complex Real(double value) { return {value, 0}; }
inline Complex Imaginary(double value) { return {0, value}; }

// Smith's complex division, written out so every build gives the same bits.
Complex Divide(Complex numerator, Complex denominator);

// |z| as a pivot is measured; hypot(x, 0) is |x| exactly, so real entries skip the library call.
inline double Modulus(Complex z) { return z.im == 0 ? std::fabs(z.re) : std::hypot(z.re, z.im); }

// A pivot of modulus below this is reported as a possibly singular system.
inline constexpr double SmallPivot = 1e-15;

// The entry chosen to eliminate a column, and the row it stands in.
struct Pivot {
    Complex value;
    double modulus = 0;
    int row = 0;
};

class MnaSystem {
public:
    static constexpr int Rows = MaxVariables + 1;
    static constexpr int Columns = MaxVariables + 2;

    void Clear(int n);

    // A current y·(V(r) − V(s)) leaves node p through the element and enters node q.
    void StampTransadmittance(int p, int q, int r, int s, Complex y);
    // An admittance y between nodes p and q.
    void StampAdmittance(int p, int q, Complex y) { StampTransadmittance(p, q, p, q, y); }
    // A current I flows from node p through the source into node q.
    void StampCurrentSource(int p, int q, Complex current);

    Complex& At(int row, int column) { return entries_[row][column]; }
    const Complex& At(int row, int column) const { return entries_[row][column]; }
    Complex Solution(int k) const { return entries_[k][n_ + 1]; }
    int Size() const { return n_; }

    // The solver's steps, also used to find the null vectors of a singular system:
    // the entry of largest modulus in column `column` among rows first..last (a strictly larger
    // modulus wins, so ties keep the earlier row; an all-zero column gives row first, modulus 0);
    Pivot FindPivot(int column, int first, int last) const;
    // the exchange of rows i and k in columns 1..lastColumn;
    void SwapRows(int i, int k, int lastColumn);
    // and, for every row 1..lastRow but pivotRow, entry (row, j) minus entry (row, column) times
    // entry (pivotRow, j), for each of the count columns j listed.
    void EliminateOthers(int pivotRow, int column, const int* columns, int count, int lastRow);

    // Solves rows/columns 1..n in place. Logs "Possível sistema singular. Pivot=%g." for a
    // pivot of modulus below SmallPivot; returns 1 only for a pivot of exactly zero.
    int SolveMna(MessageLog& log);
    // Whether the last SolveMna logged a small pivot.
    bool MetSmallPivot() const { return metSmallPivot_; }

private:
    int n_ = 0;
    bool metSmallPivot_ = false;
    Complex entries_[Rows][Columns];
};

// How a trace shows the entries: the DC system is real, the small-signal one complex.
enum class TraceEntries { Real, RealAndImaginary };

// Logs rows 1..n of the system, one line each: an entry as "%+9.2e " (Real) or "%+9.2e%+9.2ej "
// (RealAndImaginary), or as dots in the same width when it is zero.
void LogMnaRows(const MnaSystem& mna, MessageLog& log, TraceEntries entries);

// SolveMna watched for arithmetic faults (division by zero, overflow, invalid operation); a
// fault is logged here as "Erro aritmético na solução do sistema.", a zero pivot by the solver.
enum class SolveStatus { Solved, Singular, ArithmeticFault };
SolveStatus SolveWatched(MnaSystem& mna, MessageLog& log);

} // namespace talvor
