// Every row of the table of element types walked through the whole analysis: a line written from
// the row is read back with its values, defaults and currents, the element stamps in both forms,
// the operating point settles and a frequency point solves; a device also has its model's region
// and words. A type that some step does not know fails here.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "analysis/ac_system.h"
#include "analysis/devices.h"
#include "analysis/diagnosis/circuit_words.h"
#include "analysis/diagnosis/device_regions.h"
#include "analysis/element_stamps.h"
#include "analysis_test_circuit.h"
#include "netlist/element_types.h"
#include "netlist/netlist_reader.h"
#include "test_support.h"

using namespace talvor;

namespace {

// Its terminals on nodes 1 and 2 (ground for some): an output that drives node 1 back into an
// input (O, A) keeps the system regular.
const char* const Wiring[5][4] = {{}, {"1"}, {"1", "2"}, {"1", "0", "2"}, {"1", "0", "1", "2"}};

// The value written for a slot without a default: a piecewise-linear curve needs rising points.
double WalkValue(const ElementType& type, int slot)
{
    return type.form == LineForm::Points ? slot / 2 - 1 : 0.5;
}

bool HasDefaults(const ElementType& type)
{
    for (int k = 0; k < type.SlotCount(); ++k)
        if (type.slots[k].defaultValue != 0)
            return true;
    return false;
}

// The element's line: a type with defaults keeps them all, any other gets a value in every slot.
std::string ElementLine(const ElementType& type)
{
    std::string line = std::string(1, type.letter) + "1";
    if (type.form == LineForm::Coupling)
        line += " La Lb";
    for (int t = 0; t < type.nodes; ++t)
        line += std::string(" ") + Wiring[type.nodes][t];
    if (type.form == LineForm::Transistor || type.form == LineForm::Mos)
        line += " N";
    if (!HasDefaults(type))
        for (int k = 0; k < type.SlotCount(); ++k)
            line += " " + std::to_string(WalkValue(type, k));
    return line;
}

bool StampsSomething(const MnaSystem& mna)
{
    for (int r = 0; r <= mna.Size(); ++r)
        for (int c = 0; c <= mna.Size() + 1; ++c)
            if (mna.At(r, c).re != 0 || mna.At(r, c).im != 0)
                return true;
    return false;
}

struct TableWalk : ::testing::Test {
    RecordingSink sink;
    MessageLog log{sink};
    TestHost host;
    Analysis analysis{log, host};
    TempDir dir;
};

TEST_F(TableWalk, EveryTypeIsReadStampedAndSolved)
{
    for (const ElementType& type : ElementTypes()) {
        SCOPED_TRACE(std::string("type ") + type.letter);
        sink.lines.clear();
        const std::string line = ElementLine(type);
        const std::string netlist = "Tipo " + std::string(1, type.letter) +
                                    "\nLa 1 0 1\nLb 2 0 1\n" + line +
                                    "\nRa 1 0 1\nRb 2 0 1\nIa 0 2 1\n";
        Circuit& circuit = analysis.circuit;
        ASSERT_TRUE(ReadNetlist(circuit, log, dir.Write("walk.net", netlist), false))
            << JoinLines(sink.lines);

        // Read: its echo, values, currents and node fields, as the row describes them.
        const Element& e = circuit.element(3);
        EXPECT_STREQ(e.name, (std::string(1, type.letter) + "1").c_str());
        EXPECT_TRUE(HasLineStartingWith(sink.lines, std::string(e.name) + " "));
        for (int k = 0; k < type.SlotCount(); ++k) {
            const double written =
                HasDefaults(type) ? type.slots[k].defaultValue : WalkValue(type, k);
            EXPECT_DOUBLE_EQ(e.values[k], written * type.slots[k].storedPerUnit)
                << type.slots[k].name;
        }
        const int nodes[] = {e.a, e.b, e.c, e.d};
        for (int t = 0; t < type.nodes; ++t)
            EXPECT_STREQ(circuit.nodeTable[nodes[t]], Wiring[type.nodes][t]);
        // La and Lb have a current each.
        EXPECT_EQ(circuit.variableCount - circuit.nodeCount, 2 + type.CurrentCount());
        const int numbers[] = {e.x, e.y};
        for (int c = 0; c < type.CurrentCount(); ++c) {
            EXPECT_EQ(std::string(circuit.nodeTable[numbers[c]]),
                      type.currents[c].prefix + std::string(e.name));
            EXPECT_EQ(OwnerOf(circuit, numbers[c]).element, 3);
            EXPECT_EQ(OwnerOf(circuit, numbers[c]).input, type.currents[c].inputBranch);
        }
        EXPECT_EQ(circuit.hasNonlinear, type.nonlinear);
        int terminals[4];
        EXPECT_EQ(Terminals(e, terminals), type.nodes);

        // Operating point: every element but a coupling has a DC form.
        FindOperatingPoint(analysis);
        ASSERT_FALSE(circuit.RunFailed) << JoinLines(sink.lines);
        EXPECT_TRUE(HasLine(sink.lines, "Ponto de operação encontrado."));
        MnaSystem alone;
        alone.Clear(circuit.variableCount);
        Element copy = e;
        StampElementDc(analysis.op, host.settings, copy, alone);
        EXPECT_EQ(StampsSomething(alone), type.form != LineForm::Coupling);

        // One frequency point, and the element's own small-signal stamp.
        const AcPoint point{1, 6.283185307179586, 0};
        EXPECT_TRUE(
            SolveAtFrequency(circuit, host.settings, analysis.op.g0, analysis.mna, log, point))
            << JoinLines(sink.lines);
        alone.Clear(circuit.variableCount);
        StampElementAc(e, point.omega, host.settings, analysis.op.g0, alone);
        EXPECT_TRUE(StampsSomething(alone));

        // A device has a model that names its region and the values that weigh in its stamps.
        EXPECT_EQ(IsDevice(type.letter), type.nonlinear);
        if (type.nonlinear) {
            EXPECT_GE(DeviceRegion(e, analysis.op), 0);
            EXPECT_FALSE(RegionWords(e, DeviceRegion(e, analysis.op)).empty());
            EXPECT_NE(ValueWords(e).find('('), std::string::npos) << ValueWords(e);
        }
    }
}

TEST(ElementTable, SlotsAreFoundByNameInEitherCase)
{
    struct Case {
        char letter;
        const char* name;
        int slot;
    };
    const Case cases[] = {
        {'Q', "VA", 6}, {'Q', "va", 6}, {'Q', "C1bc", 10},  {'M', "w", 1},
        {'M', "L", 0},  {'M', "ld", 7}, {'D', "IS", 0},     {'V', "fase", 1},
        {'A', "ro", 2}, {'R', "R", 0},  {'M', "Lambd", -1}, {'Q', "VAF", -1},
        {'O', "A", -1}, {'N', "i4", 7}, {'K', "K", 0},      {'D', "", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindSlot(*FindElementType(c.letter), c.name), c.slot)
            << c.letter << "." << c.name;
    EXPECT_EQ(FindElementType('Z'), nullptr);
    EXPECT_EQ(FindElementType('r'), nullptr); // the reader upper-cases the letter first
}

} // namespace
