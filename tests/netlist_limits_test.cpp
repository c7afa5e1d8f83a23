// The reader at its limits and across readings: a second reading into the same circuit, the
// fiftieth node after a nonlinear element, an ".AC" line without its numbers on a fresh circuit,
// and the scanner's fields, integers and scan sets at their edges.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "netlist/line_scanner.h"
#include "netlist/netlist_reader.h"
#include "test_support.h"

using namespace talvor;

namespace {

struct Reader {
    TempDir dir;
    RecordingSink sink;
    MessageLog log{sink};
    std::unique_ptr<Circuit> circuit = std::make_unique<Circuit>();

    bool Read(const std::string& body)
    {
        sink.lines.clear();
        return ReadNetlist(*circuit, log, dir.Write("c.net", "Titulo\n" + body), false);
    }
};

TEST(NetlistLimits, ASecondReadingStartsFromAClearCircuit)
{
    Reader r;
    ASSERT_TRUE(r.Read("D1 1 0\nR1 1 2 10\n.AC DEC 10 1 1000\n"));
    EXPECT_TRUE(r.circuit->hasNonlinear);
    ASSERT_TRUE(r.Read("R1 a 0 10\n"));
    EXPECT_FALSE(r.circuit->hasNonlinear);
    EXPECT_EQ(r.circuit->nodeCount, 1);
    EXPECT_EQ(r.circuit->elementCount, 1);
    EXPECT_STREQ(r.circuit->nodeTable[1], "a");
    // The sweep is kept from one reading to the next.
    EXPECT_EQ(r.circuit->sweep.points, 10);
}

TEST(NetlistLimits, FiftyNodesAfterANonlinearElement)
{
    // A diode first, then a chain of resistors up to the fiftieth node, then an .AC line: the
    // node table's last slot sits next to the circuit's other fields.
    std::string body = "D1 n1 0\n";
    for (int k = 1; k < 50; ++k)
        body += "R" + std::to_string(k) + " n" + std::to_string(k) + " n" + std::to_string(k + 1) +
                " 10\n";
    body += ".AC OCT 7 2 64\n";
    Reader r;
    ASSERT_TRUE(r.Read(body));
    EXPECT_TRUE(r.circuit->hasNonlinear);
    EXPECT_EQ(r.circuit->nodeCount, 50);
    EXPECT_STREQ(r.circuit->nodeTable[50], "n50");
    EXPECT_EQ(r.sink.lines[r.sink.lines.size() - 2], "50: n50");
    EXPECT_EQ(r.circuit->sweep.mode, 2);
    EXPECT_EQ(r.circuit->sweep.points, 7);
    EXPECT_EQ(r.circuit->sweep.fEnd, 64);
    EXPECT_FALSE(r.circuit->useSettingsSweep);
}

TEST(NetlistLimits, AcLineWithoutNumbersOnAFreshCircuit)
{
    Reader r;
    ASSERT_TRUE(r.Read(".AC LIN\n"));
    EXPECT_EQ(r.sink.lines[1], ".AC LIN 0 0 0");
    EXPECT_EQ(r.circuit->sweep.points, 0);
    EXPECT_EQ(r.circuit->sweep.fStart, 0);
    EXPECT_EQ(r.circuit->sweep.fEnd, 0);
}

TEST(NetlistLimits, MosSeparatorLongerThanItsBuffer)
{
    // The run is consumed whole; the echo shows the 31 characters that fit.
    Reader r;
    const std::string run = " L" + std::string(40, '=');
    ASSERT_TRUE(r.Read("M1 d g s b N" + run + "2e-6 W=1e-5\n"));
    EXPECT_EQ(r.sink.lines[1], "M1 d g s b N (" + run.substr(0, 31) +
                                   ") 2e-06 ( W=) 1e-05 0.0001 1 0.01 0.3 0.6 1e-07");
}

TEST(LineScannerEdges, TextReplacesALongerWordWhole)
{
    Field field = "abcdefghij";
    LineScanner scan("xy");
    ASSERT_TRUE(scan.Text(field));
    EXPECT_STREQ(field, "xy");
}

TEST(LineScannerEdges, IntegersClampedOnBothSides)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"2147483647", INT_MAX},   {"21474836470", INT_MAX},     {"-2147483648", INT_MIN},
        {"-21474836470", INT_MIN}, {"-2147483647", -2147483647},
    };
    for (const Case& c : cases) {
        LineScanner scan(c.text);
        int value = 0;
        ASSERT_TRUE(scan.Integer(value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(LineScannerEdges, RunKeepsWhatFitsAndConsumesTheRest)
{
    char run[4] = "zzz";
    LineScanner scan("=====7");
    ASSERT_TRUE(scan.Run("=", run, sizeof run));
    EXPECT_STREQ(run, "===");
    double value = 0;
    ASSERT_TRUE(scan.Number(value));
    EXPECT_EQ(value, 7);
}

} // namespace
