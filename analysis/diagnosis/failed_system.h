// The equation system of a failed solve, rebuilt for its diagnosis: the matrix as the run stamped
// it, each element's own share of it, and the null vectors of such matrices.
#pragma once

#include "analysis/diagnosis/structural_rank.h"
#include "analysis/mna_system.h"
#include "netlist/circuit.h"

namespace talvor {

class Analysis;

// Where a system is built: the DC companion models at the operating point's iterate, or the
// small-signal form at one point of the sweep.
struct SystemPoint {
    bool ac = false;
    double f = 0;
    double omega = 0;
};

class FailedSystem {
public:
    FailedSystem(const Analysis& analysis, const SystemPoint& point);

    // Stamps every element as the run did, into Matrix(); false after an arithmetic fault, whose
    // element FaultingElement() gives.
    bool Build();
    const MnaSystem& Matrix() const { return full_; }
    int FaultingElement() const { return faulting_; }

    // Element k's own entries, stamped alone (valid until the next call).
    const MnaSystem& Share(int k);
    // Whether element k stamps some nonzero entry by itself: whether it conducts at this point.
    bool StampsAnything(int k);
    // Element k as stamped: a device keeps the companion values of this point.
    const Element& Stamped(int k) const { return elements_[k]; }

    // The entries some element stamps as nonzero by itself. An element whose stamps cancel
    // among themselves (its terminals on one node) adds nothing; two elements that cancel each
    // other still leave their entries.
    SparsityPattern Pattern();

    // The sum of every element's share times a random weight in [1, 2): a dependency that holds
    // for these values holds whatever the element values, so it comes from how the circuit is
    // connected, not from a coincidence of its values.
    void WeightedMatrix(MnaSystem& weighted);

    const SystemPoint& Point() const { return point_; }
    int Size() const { return n_; }

private:
    void StampOne(Element& element, MnaSystem& mna) const;

    const Analysis& analysis_;
    SystemPoint point_;
    int n_;
    int faulting_ = 0;
    Element elements_[MaxElements + 1];
    MnaSystem full_;
    MnaSystem share_;
};

// Null vectors of the square matrix in rows and columns 1..n of a system.
struct NullVectors {
    int count = 0;
    int freeColumn[MaxVariables + 1] = {};                   // the unknown each vector is led by
    double pivotModulus[MaxVariables + 1] = {};              // the pivot left at that column
    Complex vector[MaxVariables + 1][MaxVariables + 1] = {}; // vector[j][k]: unknown k
};

// Gauss-Jordan elimination with partial pivoting, in the solver's order of operations (so the
// first free column is the solver's first pivot of modulus below zeroPivot), that goes on past
// such a pivot by leaving its column free. Each free column f gives the null vector with
// unknown f at 1.
void FindNullVectors(const MnaSystem& matrix, int n, double zeroPivot, NullVectors& out);

// Scales every row, then every column, of rows and columns 1..n to a largest modulus of 1, so
// that a pivot can be judged against 1 whatever the units of the unknowns. A null vector u of
// the scaled matrix is u[k] * columnScale[k] of the original one.
void Equilibrate(MnaSystem& matrix, int n, double columnScale[MaxVariables + 1]);

} // namespace talvor
