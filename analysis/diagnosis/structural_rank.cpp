// Augmenting-path matching on the pattern and the coarse Dulmage–Mendelsohn blocks.
#include "analysis/diagnosis/structural_rank.h"

namespace talvor {

namespace {

// Kuhn's augmenting path from row r: a free column, or a column whose row can move elsewhere.
bool Augment(const SparsityPattern& pattern, int r, IndexSet& seenColumns, Matching& m)
{
    for (int c = 1; c <= pattern.n; ++c) {
        if (!pattern.Has(r, c) || seenColumns[c])
            continue;
        seenColumns.set(c);
        if (m.rowOfColumn[c] == 0 || Augment(pattern, m.rowOfColumn[c], seenColumns, m)) {
            m.rowOfColumn[c] = r;
            m.columnOfRow[r] = c;
            return true;
        }
    }
    return false;
}

// The rows and columns reached by alternating paths: from a row along its entries to their
// columns, and from a matched column back to its row (overdetermined); or from a column along its
// entries to their rows, and from a matched row on to its column (underdetermined).
void Reach(const SparsityPattern& pattern, const Matching& m, bool fromRows, IndexSet& rows,
           IndexSet& columns)
{
    const int n = pattern.n;
    int queue[MaxVariables + 1];
    int head = 0, tail = 0;
    for (int k = 1; k <= n; ++k) {
        const bool unmatched = fromRows ? m.columnOfRow[k] == 0 : m.rowOfColumn[k] == 0;
        if (unmatched) {
            (fromRows ? rows : columns).set(k);
            queue[tail++] = k;
        }
    }
    while (head < tail) {
        const int k = queue[head++];
        for (int j = 1; j <= n; ++j) {
            const bool entry = fromRows ? pattern.Has(k, j) : pattern.Has(j, k);
            IndexSet& across = fromRows ? columns : rows;
            if (!entry || across[j])
                continue;
            across.set(j);
            const int mate = fromRows ? m.rowOfColumn[j] : m.columnOfRow[j];
            IndexSet& back = fromRows ? rows : columns;
            if (mate != 0 && !back[mate]) {
                back.set(mate);
                queue[tail++] = mate;
            }
        }
    }
}

// Splits the rows and columns of one part into the connected pieces of the pattern between
// them; returns the new count of blocks.
int Split(const SparsityPattern& pattern, bool overdetermined, IndexSet rows, IndexSet columns,
          DeficientBlock* blocks, int count, int capacity)
{
    const int n = pattern.n;
    for (int start = 1; start <= n && count < capacity; ++start) {
        const bool startIsRow = overdetermined ? rows[start] : columns[start];
        if (!startIsRow)
            continue;
        DeficientBlock& block = blocks[count++];
        block = DeficientBlock{};
        block.overdetermined = overdetermined;
        // Grow the piece until no row or column of the part touches it.
        bool grew = true;
        (overdetermined ? block.rows : block.columns).set(start);
        while (grew) {
            grew = false;
            for (int r = 1; r <= n; ++r)
                for (int c = 1; c <= n; ++c) {
                    if (!rows[r] || !columns[c] || !pattern.Has(r, c))
                        continue;
                    if (block.rows[r] != block.columns[c]) {
                        block.rows.set(r);
                        block.columns.set(c);
                        grew = true;
                    }
                }
        }
        rows &= ~block.rows;
        columns &= ~block.columns;
    }
    return count;
}

} // namespace

Matching MaximumMatching(const SparsityPattern& pattern)
{
    Matching m;
    for (int r = 1; r <= pattern.n; ++r) {
        IndexSet seenColumns;
        if (Augment(pattern, r, seenColumns, m))
            ++m.size;
    }
    return m;
}

int DeficientBlocks(const SparsityPattern& pattern, const Matching& matching,
                    DeficientBlock* blocks, int capacity)
{
    int count = 0;
    for (bool overdetermined : {true, false}) {
        IndexSet rows, columns;
        Reach(pattern, matching, overdetermined, rows, columns);
        count = Split(pattern, overdetermined, rows, columns, blocks, count, capacity);
    }
    return count;
}

} // namespace talvor
