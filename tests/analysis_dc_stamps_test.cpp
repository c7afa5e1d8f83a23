// The DC forms of the linear elements with every terminal off ground, so that no row or column
// of a stamp falls on the ground's, against hand-solved circuits; and the value slots the device
// models write, as the data model places them.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/bipolar.h"
#include "analysis/diode.h"
#include "analysis/mos.h"
#include "analysis/operating_point.h"
#include "analysis/piecewise_linear.h"
#include "analysis_test_circuit.h"

using namespace talvor;

namespace {

struct DcCase {
    const char* label;
    std::function<void(CircuitBuilder&)> build;
    std::vector<std::pair<const char*, double>> expected;
};

void PrintTo(const DcCase& c, std::ostream* os) { *os << c.label; }

class LinearDcStamp : public ::testing::TestWithParam<DcCase> {};

TEST_P(LinearDcStamp, SolvesAsByHand)
{
    const DcCase& c = GetParam();
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    Analysis analysis(log, host);
    CircuitBuilder build(analysis.circuit, log);
    c.build(build);
    build.Finish();
    FindOperatingPoint(analysis);
    ASSERT_FALSE(analysis.circuit.RunFailed) << (sink.lines.empty() ? "" : sink.lines.back());
    for (const auto& [name, value] : c.expected)
        EXPECT_NEAR(analysis.op.V[build.Unknown(name)], value, 1e-9) << name;
}

INSTANTIATE_TEST_SUITE_P(
    OperatingPoint, LinearDcStamp,
    ::testing::Values(DcCase{"V: 2 V on top of 1 V, 3 mA through both",
                             [](CircuitBuilder& b) {
                                 b.Add("V1", {"a", "b"}, {0, 0, 2});
                                 b.Add("V2", {"b", "0"}, {0, 0, 1});
                                 b.Add("R1", {"a", "0"}, {1000});
                             },
                             {{"a", 3}, {"b", 1}, {"jV1", -3e-3}, {"jV2", -3e-3}}},
                      DcCase{"I: 1 mA from p through the source into q",
                             [](CircuitBuilder& b) {
                                 b.Add("I1", {"p", "q"}, {0, 0, 1e-3});
                                 b.Add("R1", {"p", "0"}, {1000});
                                 b.Add("R2", {"q", "0"}, {1000});
                             },
                             {{"p", -1}, {"q", 1}}},
                      DcCase{"G: 1 mS times V(c) − V(d) = 2 V, from p into q",
                             [](CircuitBuilder& b) {
                                 b.Add("V1", {"c", "0"}, {0, 0, 3});
                                 b.Add("V2", {"d", "0"}, {0, 0, 1});
                                 b.Add("G1", {"p", "q", "c", "d"}, {1e-3});
                                 b.Add("R1", {"p", "0"}, {1000});
                                 b.Add("R2", {"q", "0"}, {1000});
                             },
                             {{"p", -2}, {"q", 2}}},
                      DcCase{"E: 0.5 V plus twice V(c) − V(d)",
                             [](CircuitBuilder& b) {
                                 b.Add("V1", {"c", "0"}, {0, 0, 3});
                                 b.Add("V2", {"d", "0"}, {0, 0, 1});
                                 b.Add("V3", {"r", "0"}, {0, 0, 0.5});
                                 b.Add("E1", {"o", "r", "c", "d"}, {2});
                                 b.Add("R1", {"o", "0"}, {1000});
                             },
                             {{"o", 4.5}, {"jE1", -4.5e-3}}},
                      DcCase{"F: three times the 1 mA of the shorted input, out of p into q",
                             [](CircuitBuilder& b) {
                                 b.Add("I1", {"0", "c"}, {0, 0, 1e-3});
                                 b.Add("V1", {"d", "0"}, {0, 0, 0.25});
                                 b.Add("F1", {"p", "q", "c", "d"}, {3});
                                 b.Add("R1", {"p", "0"}, {1000});
                                 b.Add("R2", {"q", "0"}, {1000});
                             },
                             {{"c", 0.25}, {"jF1", 1e-3}, {"p", -3}, {"q", 3}}},
                      DcCase{"H: 500 Ω times the 2 mA of the shorted input, on top of 0.5 V",
                             [](CircuitBuilder& b) {
                                 b.Add("I1", {"0", "c"}, {0, 0, 2e-3});
                                 b.Add("V1", {"d", "0"}, {0, 0, 0.25});
                                 b.Add("V2", {"r", "0"}, {0, 0, 0.5});
                                 b.Add("H1", {"o", "r", "c", "d"}, {500});
                                 b.Add("R1", {"o", "0"}, {1000});
                             },
                             {{"c", 0.25}, {"jyH1", 2e-3}, {"o", 1.5}, {"jxH1", -1.5e-3}}},
                      DcCase{"O: inverting gain −2 around a 1 V reference",
                             [](CircuitBuilder& b) {
                                 b.Add("V1", {"in", "0"}, {0, 0, 3});
                                 b.Add("V2", {"ref", "0"}, {0, 0, 1});
                                 b.Add("R1", {"in", "m"}, {1000});
                                 b.Add("R2", {"m", "out"}, {2000});
                                 b.Add("O1", {"out", "ref", "m", "ref"});
                             },
                             {{"m", 1}, {"out", -3}}},
                      DcCase{
                          "A: DC gain GB/P = 1000 on 1 mV, Ro 100 Ω into 900 Ω, on a 2 V reference",
                          [](CircuitBuilder& b) {
                              b.Add("V1", {"in", "0"}, {0, 0, 1e-3});
                              b.Add("V2", {"ref", "0"}, {0, 0, 2});
                              b.Add("A1", {"out", "ref", "0", "in"}, {1e6, 1e3, 100});
                              b.Add("R1", {"out", "0"}, {900});
                          },
                          {{"out", 2.7}, {"jA1", -3e-3}}},
                      DcCase{"Y: 1 V at port 1 drives 1 mA into 2 kΩ at port 2; port 1 draws 2 mA",
                             [](CircuitBuilder& b) {
                                 b.Add("V1", {"a", "0"}, {0, 0, 1});
                                 b.Add("Y1", {"a", "0", "b", "0"}, {1000});
                                 b.Add("R1", {"b", "0"}, {2000});
                             },
                             {{"b", 2}, {"jV1", -2e-3}}},
                      DcCase{"Y: ports off ground",
                             [](CircuitBuilder& b) {
                                 b.Add("V1", {"a", "r"}, {0, 0, 1});
                                 b.Add("V2", {"r", "0"}, {0, 0, 5});
                                 b.Add("V3", {"s", "0"}, {0, 0, -1});
                                 b.Add("Y1", {"a", "r", "b", "s"}, {1000});
                                 b.Add("R1", {"b", "s"}, {2000});
                             },
                             {{"b", 1}}}));

// The slots of the values that the models store, as the data model lists them: they follow the
// netlist values and stay inside the element's record.
TEST(ValueSlots, WhereTheModelsStoreTheirValues)
{
    struct Slot {
        const char* name;
        int slot, expected;
    };
    const Slot slots[] = {
        {"D Cdtotal", DiodeSlot::Cdtotal, 6}, {"D Gd", DiodeSlot::Gd, 8},
        {"D Ieq", DiodeSlot::Ieq, 9},         {"N Gn", PwlSlot::Gn, 8},
        {"Q Gbe", BipolarSlot::Gbe, 11},      {"Q Ieqbe", BipolarSlot::Ieqbe, 12},
        {"Q Gbc", BipolarSlot::Gbc, 13},      {"Q Ieqbc", BipolarSlot::Ieqbc, 14},
        {"Q GEbe", BipolarSlot::GEbe, 15},    {"Q GEbc", BipolarSlot::GEbc, 16},
        {"Q GEce", BipolarSlot::GEce, 17},    {"Q Cbe", BipolarSlot::Cbe, 18},
        {"Q Cbc", BipolarSlot::Cbc, 19},      {"M Gm", MosSlot::Gm, 8},
        {"M Gds", MosSlot::Gds, 9},           {"M Gmb", MosSlot::Gmb, 10},
        {"M Ieq", MosSlot::Ieq, 11},          {"M Cgs", MosSlot::Cgs, 3},
        {"M Cgd", MosSlot::Cgd, 4},           {"M Cgb", MosSlot::Cgb, 5},
        {"Q C1bc", BipolarSlot::C1bc, 10},
    };
    for (const Slot& s : slots) {
        EXPECT_EQ(s.slot, s.expected) << s.name;
        EXPECT_LT(s.slot, ValueSlots) << s.name;
    }
}

} // namespace
