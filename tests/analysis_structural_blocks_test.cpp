// The matching and its deficient blocks on random sparse patterns up to 50 unknowns, against an
// independent augmenting-path search and the definition of the blocks: rows reached from an
// unpaired row by alternating paths (overdetermined), columns reached likewise from an unpaired
// column (underdetermined).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "analysis/diagnosis/structural_rank.h"

using namespace talvor;

namespace {

// The size of a maximum matching by breadth-first augmenting paths over columns.
int MatchingSize(const SparsityPattern& p)
{
    std::vector<int> rowOf(p.n + 1, 0), colOf(p.n + 1, 0);
    int size = 0;
    for (int start = 1; start <= p.n; ++start) {
        std::vector<int> parentColumn(p.n + 1, -1), viaRow(p.n + 1, 0);
        std::vector<int> frontier{start};
        int found = 0;
        for (size_t i = 0; i < frontier.size() && found == 0; ++i) {
            const int r = frontier[i];
            for (int c = 1; c <= p.n && found == 0; ++c) {
                if (!p.Has(r, c) || parentColumn[c] != -1)
                    continue;
                parentColumn[c] = r;
                if (rowOf[c] == 0)
                    found = c;
                else
                    frontier.push_back(rowOf[c]);
            }
        }
        if (found == 0)
            continue;
        for (int c = found; c != 0;) {
            const int r = parentColumn[c];
            const int previous = colOf[r];
            rowOf[c] = r;
            colOf[r] = c;
            c = previous;
        }
        ++size;
    }
    return size;
}

// Rows (or columns) reached from the unpaired ones along entries and back along pairs.
IndexSet Reached(const SparsityPattern& p, const Matching& m, bool fromRows)
{
    IndexSet reached;
    std::vector<int> queue;
    for (int k = 1; k <= p.n; ++k)
        if ((fromRows ? m.columnOfRow[k] : m.rowOfColumn[k]) == 0) {
            reached.set(k);
            queue.push_back(k);
        }
    for (size_t i = 0; i < queue.size(); ++i)
        for (int j = 1; j <= p.n; ++j) {
            if (!(fromRows ? p.Has(queue[i], j) : p.Has(j, queue[i])))
                continue;
            const int mate = fromRows ? m.rowOfColumn[j] : m.columnOfRow[j];
            if (mate != 0 && !reached[mate]) {
                reached.set(mate);
                queue.push_back(mate);
            }
        }
    return reached;
}

TEST(StructuralBlocks, RandomPatternsAgainstTheDefinition)
{
    std::mt19937 random(2024);
    for (int trial = 0; trial < 300; ++trial) {
        SparsityPattern p;
        p.n = trial % 7 == 0 ? MaxVariables : 1 + static_cast<int>(random() % 12);
        const double density = 0.05 + 0.3 * (random() % 100) / 100.0;
        std::bernoulli_distribution entry(density);
        for (int r = 1; r <= p.n; ++r)
            for (int c = 1; c <= p.n; ++c)
                if (entry(random))
                    p.Set(r, c);
        const Matching m = MaximumMatching(p);
        ASSERT_EQ(m.size, MatchingSize(p)) << trial;
        for (int r = 1; r <= p.n; ++r)
            if (m.columnOfRow[r] != 0) {
                EXPECT_TRUE(p.Has(r, m.columnOfRow[r])) << trial;
                EXPECT_EQ(m.rowOfColumn[m.columnOfRow[r]], r) << trial;
            }

        DeficientBlock blocks[2 * MaxVariables];
        const int count = DeficientBlocks(p, m, blocks, 2 * MaxVariables);
        IndexSet overRows, underColumns, seenRows, seenColumns;
        for (int b = 0; b < count; ++b) {
            const DeficientBlock& block = blocks[b];
            EXPECT_TRUE((seenRows & block.rows).none()) << trial;
            EXPECT_TRUE((seenColumns & block.columns).none()) << trial;
            seenRows |= block.rows;
            seenColumns |= block.columns;
            if (block.overdetermined) {
                EXPECT_GT(block.rows.count(), block.columns.count()) << trial;
                overRows |= block.rows;
            } else {
                EXPECT_GT(block.columns.count(), block.rows.count()) << trial;
                underColumns |= block.columns;
            }
        }
        EXPECT_EQ(overRows, m.size < p.n ? Reached(p, m, true) : IndexSet{}) << trial;
        EXPECT_EQ(underColumns, m.size < p.n ? Reached(p, m, false) : IndexSet{}) << trial;
    }
}

} // namespace
