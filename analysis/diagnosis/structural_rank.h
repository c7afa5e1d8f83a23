// Maximum matching between the equations (rows) and the unknowns (columns) of a system's
// nonzero pattern, and the Dulmage–Mendelsohn blocks that are left when it is not perfect.
#pragma once

#include <bitset>

#include "netlist/circuit.h"

namespace talvor {

// A set of row or column numbers 1..MaxVariables.
using IndexSet = std::bitset<MaxVariables + 1>;

// Which entries of rows and columns 1..n may be nonzero.
struct SparsityPattern {
    int n = 0;
    IndexSet rows[MaxVariables + 1]; // rows[r][c]: entry (r, c)

    bool Has(int r, int c) const { return rows[r][c]; }
    void Set(int r, int c) { rows[r].set(c); }
};

struct Matching {
    int size = 0;
    int columnOfRow[MaxVariables + 1] = {}; // 0 when the row is unmatched
    int rowOfColumn[MaxVariables + 1] = {}; // 0 when the column is unmatched
};

// A largest set of nonzero entries with no two in one row or one column. size < n means the
// system is singular whatever the values of its nonzero entries.
Matching MaximumMatching(const SparsityPattern& pattern);

// Equations and unknowns that cannot be paired. An overdetermined block holds more rows than the
// columns they mention (equations that repeat or contradict each other); an underdetermined one
// more columns than the rows that mention them (unknowns that nothing fixes).
struct DeficientBlock {
    bool overdetermined = false;
    IndexSet rows;
    IndexSet columns;
};

// The blocks reached by alternating paths from the unmatched rows and from the unmatched
// columns, split into independent ones (overdetermined first, each in order of its lowest row or
// column). Returns how many were written to blocks (at most capacity).
int DeficientBlocks(const SparsityPattern& pattern, const Matching& matching,
                    DeficientBlock* blocks, int capacity);

} // namespace talvor
