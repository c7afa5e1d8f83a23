// The matching of equations to unknowns on small nonzero patterns, and the blocks it leaves.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "analysis/diagnosis/structural_rank.h"

using namespace talvor;

namespace {

// One string a row, '1' where an entry may be nonzero.
SparsityPattern Pattern(std::initializer_list<const char*> rows)
{
    SparsityPattern pattern;
    pattern.n = static_cast<int>(rows.size());
    int r = 1;
    for (const char* row : rows) {
        for (int c = 1; row[c - 1] != '\0'; ++c)
            if (row[c - 1] == '1')
                pattern.Set(r, c);
        ++r;
    }
    return pattern;
}

IndexSet Set(std::initializer_list<int> members)
{
    IndexSet set;
    for (int k : members)
        set.set(k);
    return set;
}

// Every pair of the matching is an entry of the pattern, and the two tables agree.
void ExpectConsistent(const SparsityPattern& pattern, const Matching& m)
{
    int pairs = 0;
    for (int r = 1; r <= pattern.n; ++r) {
        const int c = m.columnOfRow[r];
        if (c == 0)
            continue;
        ++pairs;
        EXPECT_TRUE(pattern.Has(r, c)) << "row " << r << " column " << c;
        EXPECT_EQ(m.rowOfColumn[c], r);
    }
    EXPECT_EQ(pairs, m.size);
}

TEST(MaximumMatching, FindsTheLargestPairing)
{
    struct Case {
        const char* what;
        std::initializer_list<const char*> rows;
        int size;
    };
    const Case cases[] = {
        {"diagonal", {"1..", ".1.", "..1"}, 3},
        {"the first row must give up its column", {"11", "1."}, 2},
        {"an augmenting path through two rows", {"11.", "1..", ".11"}, 3},
        {"a chain that needs every row moved", {"11..", ".11.", "..11", "1..."}, 4},
        {"two rows that know one column", {"1.", "1."}, 1},
        {"an empty row", {"11", ".."}, 1},
        {"an empty column", {"1.1", "1.1", "..1"}, 2},
        // V1 and V2 across node 1: row 1 (the node) meets both currents, rows 2 and 3 (the
        // sources' equations) only the node's voltage.
        {"two voltage sources in parallel", {"111", "1..", "1.."}, 2},
        // A loop of three sources away from ground is singular, but only through the values
        // ±1: every row and column can still be paired.
        {"a loop of sources without ground", {"11.", ".11", "1.1"}, 3},
        {"no unknowns", {}, 0},
    };
    for (const Case& c : cases) {
        const SparsityPattern pattern = Pattern(c.rows);
        const Matching m = MaximumMatching(pattern);
        EXPECT_EQ(m.size, c.size) << c.what;
        ExpectConsistent(pattern, m);
    }
}

TEST(DeficientBlocks, NoneWhenEveryRowIsPaired)
{
    const SparsityPattern pattern = Pattern({"11.", "1..", ".11"});
    DeficientBlock blocks[6];
    EXPECT_EQ(DeficientBlocks(pattern, MaximumMatching(pattern), blocks, 6), 0);
}

TEST(DeficientBlocks, ParallelSourcesRepeatTheirEquationAndLeaveTheirCurrentsFree)
{
    const SparsityPattern pattern = Pattern({"111", "1..", "1.."});
    DeficientBlock blocks[6];
    ASSERT_EQ(DeficientBlocks(pattern, MaximumMatching(pattern), blocks, 6), 2);
    EXPECT_TRUE(blocks[0].overdetermined);
    EXPECT_EQ(blocks[0].rows, Set({2, 3}));
    EXPECT_EQ(blocks[0].columns, Set({1}));
    EXPECT_FALSE(blocks[1].overdetermined);
    EXPECT_EQ(blocks[1].columns, Set({2, 3}));
    EXPECT_EQ(blocks[1].rows, Set({1}));
}

TEST(DeficientBlocks, SeparateFaultsGiveSeparateBlocks)
{
    // Unknowns 2 and 4 appear in no equation and equations 2 and 4 hold nothing; 1 and 3 are
    // sound and coupled to each other.
    const SparsityPattern pattern = Pattern({"1.1.", "....", "1.1.", "...."});
    DeficientBlock blocks[8];
    ASSERT_EQ(DeficientBlocks(pattern, MaximumMatching(pattern), blocks, 8), 4);
    EXPECT_TRUE(blocks[0].overdetermined);
    EXPECT_EQ(blocks[0].rows, Set({2}));
    EXPECT_TRUE(blocks[1].overdetermined);
    EXPECT_EQ(blocks[1].rows, Set({4}));
    EXPECT_FALSE(blocks[2].overdetermined);
    EXPECT_EQ(blocks[2].columns, Set({2}));
    EXPECT_FALSE(blocks[3].overdetermined);
    EXPECT_EQ(blocks[3].columns, Set({4}));
    for (const DeficientBlock& block : blocks)
        EXPECT_TRUE(block.overdetermined ? block.columns.none() : block.rows.none());
}

TEST(DeficientBlocks, TwoLoopsApartAreTwoBlocksAndTheSoundPartStaysOut)
{
    // Unknowns 1 and 4 are nodes, 2, 3 and 5, 6 the currents of two pairs of parallel
    // sources; 7 is a node held by a resistor alone.
    const SparsityPattern pattern = Pattern({
        "111....",
        "1......",
        "1......",
        "...111.",
        "...1...",
        "...1...",
        "......1",
    });
    DeficientBlock blocks[14];
    const int count = DeficientBlocks(pattern, MaximumMatching(pattern), blocks, 14);
    std::vector<IndexSet> over, under;
    for (int b = 0; b < count; ++b)
        (blocks[b].overdetermined ? over : under)
            .push_back(blocks[b].overdetermined ? blocks[b].rows : blocks[b].columns);
    EXPECT_EQ(over, (std::vector<IndexSet>{Set({2, 3}), Set({5, 6})}));
    EXPECT_EQ(under, (std::vector<IndexSet>{Set({2, 3}), Set({5, 6})}));
}

TEST(DeficientBlocks, StopsAtTheCapacity)
{
    const SparsityPattern pattern = Pattern({"1.1.", "....", "1.1.", "...."});
    DeficientBlock blocks[3];
    EXPECT_EQ(DeficientBlocks(pattern, MaximumMatching(pattern), blocks, 3), 3);
}

} // namespace
