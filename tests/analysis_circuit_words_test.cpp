// The diagnosis's words for the circuit, element type by element type: terminals, the owner of
// each extra current, where an element crosses a set of nodes, and the values that weigh in its
// stamps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/bipolar.h"
#include "analysis/diagnosis/circuit_words.h"
#include "analysis/diode.h"
#include "analysis/mos.h"
#include "analysis/piecewise_linear.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

struct WordsFixture : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    Circuit circuit;
    CircuitBuilder build{circuit, log};

    IndexSet Set(std::initializer_list<const char*> names) const
    {
        IndexSet set;
        for (const char* name : names)
            set.set(build.Unknown(name));
        return set;
    }
};

TEST_F(WordsFixture, TerminalsOfEveryType)
{
    struct Case {
        const char* name;
        std::initializer_list<const char*> nodes;
        int count;
    };
    const Case cases[] = {
        {"R1", {"a", "b"}, 2},           {"V1", {"a", "b"}, 2},
        {"D1", {"a", "b"}, 2},           {"G1", {"a", "b", "c", "d"}, 4},
        {"E1", {"a", "b", "c", "d"}, 4}, {"F1", {"a", "b", "c", "d"}, 4},
        {"H1", {"a", "b", "c", "d"}, 4}, {"O1", {"a", "b", "c", "d"}, 4},
        {"A1", {"a", "b", "c", "d"}, 4}, {"Y1", {"a", "b", "c", "d"}, 4},
        {"M1", {"a", "b", "c", "d"}, 4}, {"T1", {"a", "b", "c"}, 3},
        {"Q1", {"a", "b", "c"}, 3},
    };
    for (const Case& c : cases) {
        circuit.Reset();
        const Element& e = build.Add(c.name, c.nodes);
        int nodes[4] = {-1, -1, -1, -1};
        EXPECT_EQ(Terminals(e, nodes), c.count) << c.name;
        const char* names[] = {"a", "b", "c", "d"};
        for (int t = 0; t < c.count; ++t)
            EXPECT_EQ(nodes[t], build.Unknown(names[t])) << c.name << " " << t;
    }
    const Element& k = build.Couple("K1", 1, 1, 0.5);
    int nodes[4];
    EXPECT_EQ(Terminals(k, nodes), 0);
}

TEST_F(WordsFixture, TouchingAndReachingOutside)
{
    const Element& r = build.Add("R1", {"a", "b"}, {1});
    const Element& g = build.Add("G1", {"a", "b", "c", "d"}, {1});
    const Element& toGround = build.Add("R2", {"a", "0"}, {1});
    EXPECT_TRUE(Touches(r, Set({"a"})));
    EXPECT_FALSE(Touches(r, Set({"c"})));
    EXPECT_FALSE(ReachesOutside(r, Set({"a", "b"})));
    EXPECT_TRUE(ReachesOutside(r, Set({"a"})));
    EXPECT_TRUE(Touches(g, Set({"d"})));
    EXPECT_FALSE(ReachesOutside(g, Set({"a", "b", "c", "d"})));
    EXPECT_TRUE(ReachesOutside(g, Set({"a", "b", "c"})));
    EXPECT_TRUE(ReachesOutside(toGround, Set({"a"})));
    EXPECT_FALSE(Touches(toGround, IndexSet{}));
    EXPECT_FALSE(Touches(toGround, IndexSet{1})); // ground is no node of a set
    EXPECT_EQ(TerminalNodes(g), Set({"a", "b", "c", "d"}));
    EXPECT_EQ(TerminalNodes(toGround), Set({"a"}));
    // K's fields number inductors (here elements 1 and 2, as nodes a and b are numbered): it
    // touches no node and reaches nowhere.
    const Element& k = build.Couple("K1", 1, 2, 0.5);
    EXPECT_FALSE(Touches(k, Set({"a", "b"})));
    EXPECT_FALSE(ReachesOutside(k, Set({"c"})));
    EXPECT_TRUE(TerminalNodes(k).none());
}

TEST_F(WordsFixture, OwnerOfEveryExtraCurrent)
{
    build.Add("R1", {"a", "0"}, {1});
    build.Add("V1", {"a", "0"});
    build.Add("L1", {"a", "b"}, {1});
    build.Add("E1", {"a", "0", "b", "0"}, {1});
    build.Add("F1", {"a", "0", "b", "0"}, {1});
    build.Add("H1", {"a", "0", "b", "0"}, {1});
    build.Add("O1", {"a", "0", "b", "0"});
    build.Add("A1", {"a", "0", "b", "0"}, {1, 1, 1});
    build.Finish();
    struct Case {
        const char* unknown;
        int element;
        bool input;
    };
    const Case cases[] = {
        {"jV1", 2, false},  {"jL1", 3, false}, {"jE1", 4, false}, {"jF1", 5, true},
        {"jxH1", 6, false}, {"jyH1", 6, true}, {"jO1", 7, false}, {"jA1", 8, false},
    };
    for (const Case& c : cases) {
        const Branch branch = OwnerOf(circuit, build.Unknown(c.unknown));
        EXPECT_EQ(branch.element, c.element) << c.unknown;
        EXPECT_EQ(branch.input, c.input) << c.unknown;
    }
    EXPECT_EQ(OwnerOf(circuit, build.Unknown("a")).element, 0);
}

TEST_F(WordsFixture, WhereAnElementCrossesASetOfNodes)
{
    // The set holds node 1 ("in") only: outputs from in to ground cross it, controls read it.
    build.Add("X0", {"in", "0"}, {1});
    build.Add("X1", {"other", "0"}, {1});
    const Element& gOut = build.Add("G1", {"in", "0", "other", "0"}, {1});
    const Element& gControl = build.Add("G2", {"other", "0", "in", "0"}, {1});
    const Element& fOut = build.Add("F1", {"in", "0", "other", "0"}, {1});
    const Element& eOut = build.Add("E1", {"in", "0", "other", "0"}, {1});
    const Element& hControl = build.Add("H1", {"other", "0", "in", "0"}, {1});
    const Element& oOut = build.Add("O1", {"in", "0", "other", "0"});
    const Element& aInput = build.Add("A1", {"other", "0", "in", "0"}, {1, 1, 1});
    const Element& i = build.Add("I1", {"in", "0"});
    const Element& c = build.Add("C1", {"in", "0"}, {1});
    build.Finish();
    ASSERT_EQ(build.Unknown("in"), 1);
    const IndexSet set = Set({"in"});
    OperatingPoint op;
    const SystemPoint dc, ac{true, 10, 62.8}, zero{true, 0, 0};
    struct Case {
        const Element& e;
        const SystemPoint& point;
        double g0;
        const char* words;
    };
    const Case cases[] = {
        {gOut, ac, 1e-9, "G1 (fonte de corrente controlada)"},
        {gControl, ac, 1e-9, "G2 (controle)"},
        {fOut, ac, 1e-9, "F1 (fonte de corrente controlada)"},
        {eOut, ac, 1e-9, "E1 (saída)"},
        {hControl, ac, 1e-9, "H1 (controle)"},
        {oOut, ac, 1e-9, "O1 (saída)"},
        {aInput, ac, 1e-9, "A1 (entrada)"},
        {i, ac, 1e-9, "I1 (fonte de corrente)"},
        {c, dc, 0, "C1 (capacitor, aberto em DC com a condutância do P. O. (Eg0, --g0) igual a 0)"},
        {c, dc, 1e-9, "C1 (capacitor)"},
        {c, zero, 1e-9, "C1 (capacitor, aberto em f=0)"},
        {c, ac, 1e-9, "C1 (capacitor)"},
    };
    for (const Case& k : cases) {
        op.g0 = k.g0;
        EXPECT_EQ(CrossingWords(k.e, set, k.point, op), k.words);
    }
}

TEST_F(WordsFixture, ValuesThatWeighInEveryStamp)
{
    struct Case {
        const char* name;
        std::initializer_list<const char*> nodes;
        std::initializer_list<double> values;
        const char* words;
    };
    const Case cases[] = {
        {"R1", {"a", "0"}, {1.5}, "R1 (R=1.5)"},
        {"C1", {"a", "0"}, {2.5e-9}, "C1 (C=2.5e-09)"},
        {"L1", {"a", "0"}, {3.5}, "L1 (L=3.5)"},
        {"X1", {"a", "0"}, {4.5}, "X1 (L=4.5)"},
        {"G1", {"a", "0", "b", "0"}, {5.5}, "G1 (G=5.5)"},
        {"E1", {"a", "0", "b", "0"}, {6.5}, "E1 (Av=6.5)"},
        {"F1", {"a", "0", "b", "0"}, {7.5}, "F1 (B=7.5)"},
        {"H1", {"a", "0", "b", "0"}, {8.5}, "H1 (Rm=8.5)"},
        {"A1", {"a", "0", "b", "0"}, {1e6, 10, 50}, "A1 (GB=1e+06 P=10 Ro=50)"},
        {"T1", {"a", "0", "b"}, {75, 1e-9}, "T1 (Z0=75)"},
        {"Y1", {"a", "0", "b", "0"}, {9.5}, "Y1 (Rg=9.5)"},
        {"V1", {"a", "0"}, {1, 0, 2}, "V1"},
        {"O1", {"a", "0", "b", "0"}, {}, "O1"},
        {"R2", {"a", "0"}, {1.23456789}, "R2 (R=1.23457)"},
    };
    for (const Case& c : cases) {
        circuit.Reset();
        const Element& e = build.Add(c.name, c.nodes, c.values);
        EXPECT_EQ(ValueWords(e), c.words);
    }
    circuit.Reset();
    Element& k = build.Couple("K1", 1, 2, 0.75);
    EXPECT_EQ(ValueWords(k), "K1 (k=0.75)");
    Element& d = build.Add("D1", {"a", "0"});
    d.values[DiodeSlot::Gd] = 0.0231;
    EXPECT_EQ(ValueWords(d), "D1 (Gd=0.0231)");
    Element& n = build.Add("N1", {"a", "0"}, {0, 0, 1, 1, 2, 3, 4, 5});
    n.values[PwlSlot::Gn] = 2.5;
    EXPECT_EQ(ValueWords(n), "N1 (Gn=2.5)");
    Element& q = build.Add("Q1", {"c", "b", "e"});
    q.values[BipolarSlot::Gbe] = 0.04;
    q.values[BipolarSlot::Gbc] = 1e-12;
    EXPECT_EQ(ValueWords(q), "Q1 (Gbe=0.04 Gbc=1e-12)");
    Element& m = build.Add("M1", {"d", "g", "s", "b"});
    m.values[MosSlot::Gm] = 0.002;
    m.values[MosSlot::Gds] = 3e-5;
    EXPECT_EQ(ValueWords(m), "M1 (Gm=0.002 Gds=3e-05)");
}

TEST_F(WordsFixture, NodeListsLeaveGroundToTheEnd)
{
    build.Add("R1", {"a", "b"}, {1});
    build.Add("R2", {"c", "0"}, {1});
    build.Finish();
    IndexSet set = Set({"a", "c"});
    set.set(0);
    EXPECT_EQ(NodeList(circuit, set), "a e c");
    EXPECT_EQ(NodeList(circuit, set, true), "a, c e 0");
    EXPECT_EQ(JoinWords({}), "");
    EXPECT_EQ(Number(1.23456789), "1.23457");
}

} // namespace
