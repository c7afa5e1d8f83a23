// The netlist reader: echoes, stored values, errors and where they end the reading, limits,
// couplings, the .AC line, table paths and hostile input.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "netlist/netlist_reader.h"
#include "test_support.h"

using namespace talvor;

namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

class NetlistReaderTest : public ::testing::Test {
protected:
    // Writes a netlist with a title line followed by body and reads it; the log lines after
    // "Lendo netlist ...:" are left in lines.
    bool Read(const std::string& body, bool ignoreAcLine = false)
    {
        return ReadFile(dir.Write("c.net", "Titulo\n" + body), ignoreAcLine);
    }

    // The reader's notes ("linha N: ...", tested in netlist_reader_notes_test.cpp) go to notes;
    // lines keeps the reader's own lines.
    bool ReadFile(const std::string& path, bool ignoreAcLine = false)
    {
        sink.lines.clear();
        bool ok = ReadNetlist(circuit, log, path, ignoreAcLine);
        lines.clear();
        notes.clear();
        for (const std::string& line : sink.lines)
            (IsNote(line) ? notes : lines).push_back(line);
        if (!lines.empty() && lines[0].rfind("Lendo netlist ", 0) == 0)
            lines.erase(lines.begin());
        return ok;
    }
    static bool IsNote(const std::string& line)
    {
        return line.rfind("linha ", 0) == 0 && line.size() > 6 && line[6] >= '0' && line[6] <= '9';
    }

    // The log lines before the variable list: the echoes and what came with them.
    Lines Echoes() const
    {
        Lines echoes;
        for (const std::string& line : lines) {
            if (line == "Variáveis: ")
                break;
            echoes.push_back(line);
        }
        return echoes;
    }

    const Element& element(int k) const { return circuit.element(k); }

    TempDir dir;
    RecordingSink sink;
    MessageLog log{sink};
    std::unique_ptr<Circuit> owner = std::make_unique<Circuit>();
    Circuit& circuit = *owner;
    Lines lines;
    Lines notes;
};

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// n resistors R1..Rn, each from its own node to ground.
std::string ResistorsToOwnNodes(int n)
{
    std::string body;
    for (int k = 1; k <= n; ++k)
        body += "R" + std::to_string(k) + " n" + std::to_string(k) + " 0 1\n";
    return body;
}

TEST_F(NetlistReaderTest, ReadsTheBundledExampleAsDocumented)
{
    std::string path = std::string(TALVOR_EXAMPLES) + "/exemplo.net";
    ASSERT_TRUE(ReadFile(path));
    EXPECT_EQ(sink.lines[0], "Lendo netlist " + path + ":");
    EXPECT_EQ(lines, (Lines{"V1 1 0 (1 0 0)", "R1 1 2 1000", "C1 2 0 0.001", ".AC DEC 10 1 100000",
                            "Variáveis: ", "0: 0", "1: 1", "2: 2", "3: jV1",
                            "O circuito tem 2 nós, 3 variáveis e 3 elementos."}));
    EXPECT_EQ(circuit.nodeCount, 2);
    EXPECT_EQ(circuit.variableCount, 3);
    EXPECT_EQ(circuit.elementCount, 3);
    EXPECT_EQ(element(1).x, 3);
    EXPECT_EQ(circuit.sweep.mode, 1);
    EXPECT_EQ(circuit.sweep.points, 10);
    EXPECT_EQ(circuit.sweep.fStart, 1);
    EXPECT_EQ(circuit.sweep.fEnd, 100000);
    EXPECT_FALSE(circuit.useSettingsSweep);
    EXPECT_FALSE(circuit.hasNonlinear);
    EXPECT_EQ(circuit.netlistPath, path);
    EXPECT_EQ(circuit.tablePath, std::string(TALVOR_EXAMPLES) + "/exemplo.tab");
}

TEST_F(NetlistReaderTest, EveryBundledExampleReadsCleanlyWithItsOwnSweep)
{
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TALVOR_EXAMPLES)) {
        if (entry.path().extension() != ".net")
            continue;
        SCOPED_TRACE(entry.path().string());
        ++examples;
        ASSERT_TRUE(ReadFile(entry.path().string())) << lines.back();
        EXPECT_FALSE(circuit.useSettingsSweep);
        EXPECT_GT(circuit.elementCount, 0);
        for (const std::string& line : lines)
            EXPECT_EQ(line.find("não reconhecid"), std::string::npos) << line;
        EXPECT_EQ(notes, Lines{}); // nothing read otherwise than written
        EXPECT_EQ(circuit.spiceDeckLine, 0);
    }
    EXPECT_GE(examples, 4);
}

TEST_F(NetlistReaderTest, ScansEveryElementTypeWithItsDefaultsAndEchoesIt)
{
    const std::vector<double> diodeDefaults = {1e-9, 0.043429445, 5e-12, 1e-16};
    const std::vector<double> mosDefaults = {1e-6, 1e-6, 1e-4, 1, 0.01, 0.3, 0.6, 1e-7};
    const std::string qDefaultEcho =
        "0.99 0.5 1e-09 0.0434294 1e-09 0.0434294 100 5e-12 1e-16 5e-12 1e-16";
    const std::string mosDefaultTail = "0.0001 1 0.01 0.3 0.6 1e-07";
    struct Case {
        std::string line;
        std::string echo;
        std::vector<double> values;
    };
    const Case cases[] = {
        {"R1 1 0 1000", "R1 1 0 1000", {1000}},
        {"r1 1 0 1e3", "R1 1 0 1000", {1000}},
        {"R1 1 0 1k", "R1 1 0 1", {1}},
        {"R1 1 0", "R1 1 0 0", {0}},
        {"Rcarga\tsaida  0   2.5", "Rcarga saida 0 2.5", {2.5}},
        {"C1 a b 2.5e-9", "C1 a b 2.5e-09", {2.5e-9}},
        {"L1 1 0 1e-3", "L1 1 0 0.001", {1e-3}},
        {"X1 1 0 -1e-3", "X1 1 0 -0.001", {-1e-3}},
        {"G1 1 0 2 0 0.5", "G1 1 0 2 0 0.5", {0.5}},
        {"E1 o 0 p m 100", "E1 o 0 p m 100", {100}},
        {"F1 1 0 2 3 50", "F1 1 0 2 3 50", {50}},
        {"H1 1 0 2 3 1000", "H1 1 0 2 3 1000", {1000}},
        {"Y1 1 0 2 0 10", "Y1 1 0 2 0 10", {10}},
        {"O1 out 0 inm inp", "O1 out 0 inm inp", {}},
        {"A1 o 0 m p 1e6 10 50", "A1 o 0 m p 1e+06 10 50", {1e6, 10, 50}},
        {"T1 1 0 2 50 1e-9", "T1 1 0 2 50 1e-09", {50, 1e-9}},
        {"D1 1 0", "D1 1 0 1e-09 0.0434294 5e-12 1e-16", diodeDefaults},
        {"D1 1 0 1e-14", "D1 1 0 1e-14 0.0434294 5e-12 1e-16", {1e-14, 0.043429445, 5e-12, 1e-16}},
        {"Q1 c b e N",
         "Q1 c b e N " + qDefaultEcho,
         {0.99, 0.5, 1e-9, 0.043429445, 1e-9, 0.043429445, 100, 5e-12, 1e-16, 5e-12, 1e-16}},
        {"Q1 c b e pnp 0.98 0.4 2e-9 x 1",
         "Q1 c b e pnp 0.98 0.4 2e-09 0.0434294 1e-09 0.0434294 "
         "100 5e-12 1e-16 5e-12 1e-16",
         {0.98, 0.4, 2e-9, 0.043429445, 1e-9}},
        {"M1 d g s b N L=2e-6 W=1e-5",
         "M1 d g s b N ( L=) 2e-06 ( W=) 1e-05 " + mosDefaultTail,
         {2e-6, 1e-5, 1e-4, 1, 0.01, 0.3, 0.6, 1e-7}},
        {"M1 d g s b N 2e-6 1e-5",
         "M1 d g s b N ( ) 2e-06 ( ) 1e-05 " + mosDefaultTail,
         {2e-6, 1e-5, 1e-4, 1, 0.01, 0.3, 0.6, 1e-7}},
        {"M1 d g s b N L = 3e-6  W = 4e-6 2e-4 0.8 0.02 0.4 0.7 2e-7",
         "M1 d g s b N ( L = ) 3e-06 (  W = ) 4e-06 0.0002 0.8 0.02 0.4 0.7 2e-07",
         {3e-6, 4e-6, 2e-4, 0.8, 0.02, 0.4, 0.7, 2e-7}},
        {"M1 d g s b N l=2e-6 W=1e-5", "M1 d g s b N ( ) 1e-06 () 1e-06 " + mosDefaultTail,
         mosDefaults},
        {"M1 d g s b N\tL=2e-6", "M1 d g s b N () 1e-06 () 1e-06 " + mosDefaultTail, mosDefaults},
        {"M1 d g s b P L=2e-6 W=1e-5 3e-4 x 0.5",
         "M1 d g s b P ( L=) 2e-06 ( W=) 1e-05 0.0003 1 "
         "0.01 0.3 0.6 1e-07",
         {2e-6, 1e-5, 3e-4, 1, 0.01}},
        {"N1 1 0 -1 -1e-3 0 0 1 1e-3 2 5e-3",
         "N1 1 0 -1 -0.001 0 0 1 0.001 2 0.005",
         {-1, -1e-3, 0, 0, 1, 1e-3, 2, 5e-3}},
        // Names and nodes longer than 10 characters are split, the rest read as the next field.
        {"R123456789012 1 0 5", "R123456789 012 1 0", {0}},
        {"R1 abcdefghijkl 0 5", "R1 abcdefghij kl 0", {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_TRUE(Read(c.line + "\n")) << (lines.empty() ? "" : lines.back());
        EXPECT_EQ(Echoes(), Lines{c.echo});
        ASSERT_EQ(circuit.elementCount, 1);
        for (size_t k = 0; k < c.values.size(); ++k)
            EXPECT_DOUBLE_EQ(element(1).values[k], c.values[k]) << "values[" << k << "]";
    }
}

TEST_F(NetlistReaderTest, PiecewiseLinearResistorsBetweenTwoNodes)
{
    // Echoed with six significant digits; a ninth number after the eight is not read.
    ASSERT_TRUE(Read("N1 a b -1.234567 -2.345678 0.1234567 0.2345678 1.234567 3.456789 2.345678 "
                     "4.567891 9\n"));
    EXPECT_EQ(Echoes(), Lines{"N1 a b -1.23457 -2.34568 0.123457 0.234568 1.23457 3.45679 "
                              "2.34568 4.56789"});
    EXPECT_EQ(element(1).a, 1);
    EXPECT_EQ(element(1).b, 2);
}

TEST_F(NetlistReaderTest, CouplingOfAnInductorOfZeroHenries)
{
    ASSERT_TRUE(Read("L1 1 0 0\nL2 2 0 1\nK1 L1 L2 0.5\n")) << lines.back();
    EXPECT_EQ(element(3).values[1], 0);
}

TEST_F(NetlistReaderTest, NumbersNodesInOrderOfFirstAppearance)
{
    ASSERT_TRUE(Read("R1 1 out 1\nC1 out 0 1\nG1 x 1 out 0 1\nM1 d g s b N\nQ1 c b e P\n"));
    EXPECT_EQ(element(1).a, 1);
    EXPECT_EQ(element(1).b, 2);
    EXPECT_EQ(element(2).a, 2);
    EXPECT_EQ(element(2).b, 0);
    EXPECT_EQ((std::vector<int>{element(3).a, element(3).b, element(3).c, element(3).d}),
              (std::vector<int>{3, 1, 2, 0}));
    EXPECT_EQ((std::vector<int>{element(4).a, element(4).b, element(4).c, element(4).d}),
              (std::vector<int>{4, 5, 6, 7}));
    EXPECT_EQ(element(4).y, 'N');
    EXPECT_EQ(element(5).y, 'P');
    EXPECT_TRUE(circuit.hasNonlinear);
    EXPECT_EQ(circuit.nodeCount, 9);
}

TEST_F(NetlistReaderTest, OnlyDiodesTransistorsAndPiecewiseResistorsMakeTheCircuitNonlinear)
{
    ASSERT_TRUE(Read("R1 1 0 1\nV1 1 0 1\nE1 2 0 1 0 2\nO1 3 0 2 1\n"));
    EXPECT_FALSE(circuit.hasNonlinear);
    ASSERT_TRUE(Read("R1 1 0 1\nN1 1 0 0 0 1 1 2 2 3 3\n"));
    EXPECT_TRUE(circuit.hasNonlinear);
}

TEST_F(NetlistReaderTest, ConvertsSourceDescriptionsToSinusoidalSources)
{
    const double degree = 0.017453292519943295;
    struct Case {
        std::string line;
        Lines echoes;
        double magnitude, phase, dc;
    };
    const Case cases[] = {
        {"V1 1 0 DC 5", {"Fonte CC convertida:", "V1 1 0 (0 0 5)"}, 0, 0, 5},
        {"V1 1 0 dc", {"Fonte CC convertida:", "V1 1 0 (0 0 0)"}, 0, 0, 0},
        {"V2 2 0 SIN(0 1 1000)", {"Fonte senoidal convertida:", "V2 2 0 (1 0 0)"}, 1, 0, 0},
        {"V2 2 0 sin(0.5 1 1000)", {"Fonte senoidal convertida:", "V2 2 0 (1 0 0.5)"}, 1, 0, 0.5},
        {"I1 1 0 PULSE(2 5 0 1e-9)", {"Fonte pulsada convertida:", "I1 1 0 (1 0 2)"}, 1, 0, 2},
        {"V3 3 0 2 90", {"V3 3 0 (2 90 0)"}, 2, 90 * degree, 0},
        {"V5 1 0 1 45 2.5", {"V5 1 0 (1 45 2.5)"}, 1, 45 * degree, 2.5},
        {"I2 0 1 1e-3", {"I2 0 1 (0.001 0 0)"}, 1e-3, 0, 0},
        // A word that is not D, S or P is a magnitude, and one that is no number reads as 0.
        {"V4 4 0 AC 1", {"V4 4 0 (0 1 0)"}, 0, degree, 0},
        {"V6 1 0", {"V6 1 0 (0 0 0)"}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_TRUE(Read(c.line + "\n"));
        EXPECT_EQ(Echoes(), c.echoes);
        EXPECT_DOUBLE_EQ(element(1).values[0], c.magnitude);
        EXPECT_DOUBLE_EQ(element(1).values[1], c.phase);
        EXPECT_DOUBLE_EQ(element(1).values[2], c.dc);
    }
}

// A stepped run replaces values as the lines are read, in the line's units, before the echo; what
// is computed from them afterwards (a coupling's mutual inductance) follows.
TEST_F(NetlistReaderTest, ReplacedValuesAreEchoedAndStoredAsIfTyped)
{
    const double degree = 0.017453292519943295;
    struct Case {
        std::string body;
        ValueOverride replaced;
        std::string echo;
        int element, slot;
        double stored;
    };
    const Case cases[] = {
        {"R1 1 0 1000\n", {"R1", 0, 2200}, "R1 1 0 2200", 1, 0, 2200},
        {"V1 1 0 1 30\n", {"V1", 1, 90}, "V1 1 0 (1 90 0)", 1, 1, 90 * degree},
        {"V1 1 0 DC 5\n", {"V1", 0, 1}, "V1 1 0 (1 0 5)", 1, 0, 1},
        {"L1 1 0 1e-3\nL2 2 0 1e-3\nK1 L1 L2 0.5\n", {"L2", 0, 4e-3}, "L2 2 0 0.004", 3, 1, 1e-3},
        {"L1 1 0 1e-3\nL2 2 0 4e-3\nK1 L1 L2 0.5\n",
         {"K1", 0, 0.25},
         "K1 L1 L2 0.25",
         3,
         1,
         0.5e-3},
        {"Q1 3 2 0 N\n",
         {"Q1", 6, 50},
         "Q1 3 2 0 N 0.99 0.5 1e-09 0.0434294 1e-09 0.0434294 50 "
         "5e-12 1e-16 5e-12 1e-16",
         1,
         6,
         50},
        {"M1 3 2 0 0 N L=2e-6 W=1e-5\n",
         {"M1", 1, 3e-5},
         "M1 3 2 0 0 N ( L=) 2e-06 ( W=) 3e-05 0.0001 1 0.01 0.3 0.6 1e-07",
         1,
         1,
         3e-5},
        {"N1 1 0 0 0 1 1 2 1.5 3 1.8\n", {"N1", 3, 2}, "N1 1 0 0 0 1 2 2 1.5 3 1.8", 1, 3, 2},
        {"D1 1 0\n", {"D1", 0, 1e-14}, "D1 1 0 1e-14 0.0434294 5e-12 1e-16", 1, 0, 1e-14},
        // Only the element of that name, as the reader stores it: "r1" is never R1.
        {"R1 1 0 1000\nR2 1 0 1000\n", {"R2", 0, 5}, "R1 1 0 1000", 1, 0, 1000},
        {"R1 1 0 1000\n", {"r1", 0, 5}, "R1 1 0 1000", 1, 0, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        sink.lines.clear();
        const std::vector<ValueOverride> overrides{c.replaced};
        ASSERT_TRUE(
            ReadNetlist(circuit, log, dir.Write("c.net", "Titulo\n" + c.body), false, overrides));
        EXPECT_TRUE(HasLine(sink.lines, c.echo)) << JoinLines(sink.lines);
        EXPECT_DOUBLE_EQ(element(c.element).values[c.slot], c.stored);
    }
}

TEST_F(NetlistReaderTest, ReadingErrorsEndTheReadingAtTheirLine)
{
    const std::string qDefaults =
        "0.99 0.5 1e-09 0.0434294 1e-09 0.0434294 100 5e-12 1e-16 5e-12 1e-16";
    struct Case {
        std::string body;
        Lines log;
        int elementCount;
    };
    const Case cases[] = {
        {"R1 1 0 1\nQ1 c b e X\nR2 1 0 1\n",
         {"R1 1 0 1", "Q1 c b e X " + qDefaults, "Transistor inválido Q1."},
         2},
        {"Q1 c b e\n", {"Q1 c b e  " + qDefaults, "Transistor inválido Q1."}, 1},
        {"M1 d g s b Z\nR2 1 0 1\n",
         {"M1 d g s b Z () 1e-06 () 1e-06 0.0001 1 0.01 0.3 0.6 1e-07", "Transistor inválido."},
         1},
        {"N1 1 0 0 0 1 1 2 2 3\nR2 1 0 1\n",
         {"Número errado de parâmetros no resistor N1. Lidos 7 e deviam ser 8."},
         1},
        {"N1 1\n", {"Número errado de parâmetros no resistor N1. Lidos 0 e deviam ser 8."}, 1},
        {"N1 1 0 0 0 1 1 2 2 x3 4\n",
         {"Número errado de parâmetros no resistor N1. Lidos 6 e deviam ser 8."},
         1},
        {"R1 1 0 1\n\nR2 1 0 1\n", {"R1 1 0 1", "Elemento desconhecido: \n"}, 1},
        {" R1 1 0 1\n", {"Elemento desconhecido:  R1 1 0 1\n"}, 0},
        {"z1 1 0", {"Elemento desconhecido: Z1 1 0"}, 0},
        {"B1 1 0 1\n", {"Elemento desconhecido: B1 1 0 1\n"}, 0},
        {"K1 L1 L2 0.5\nL1 1 0 1\nL2 2 0 1\n", {"K1 L1 L2 0.5", "Indutor não encontrado."}, 1},
        {"L1 1 0 1\nR2 2 0 1\nK1 L1 R2 0.5\n",
         {"L1 1 0 1", "R2 2 0 1", "K1 L1 R2 0.5", "Indutor não encontrado."},
         3},
        {"L1 1 0 1\nX2 2 0 1\nK1 L1 X2 0.5\n",
         {"L1 1 0 1", "X2 2 0 1", "K1 L1 X2 0.5", "Indutor não encontrado."},
         3},
        {"L1 1 0 1\nL2 2 0 -1\nK1 L1 L2 0.5\n",
         {"L1 1 0 1", "L2 2 0 -1", "K1 L1 L2 0.5", "(L1 está na linha 1, L2 está na linha 2)",
          "Indutâncias inválidas no acoplamento K1."},
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_FALSE(Read(c.body));
        EXPECT_EQ(lines, c.log);
        EXPECT_EQ(circuit.elementCount, c.elementCount);
    }
}

TEST_F(NetlistReaderTest, MissingFilesDirectoriesAndDevicesCannotBeOpened)
{
    // A directory or a device would read as an empty netlist or never end; a pipe would block.
    const std::string base = dir.Path();
    std::filesystem::create_directory(base + "/pasta.net");
    std::filesystem::create_symlink("/dev/zero", base + "/zero.net");
    ASSERT_EQ(mkfifo((base + "/fifo.net").c_str(), 0600), 0);
    const std::string paths[] = {base + "/nada",      base + "/nada.net", base + "/",        base,
                                 base + "/pasta.net", base + "/zero.net", base + "/fifo.net"};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(ReadFile(path));
        EXPECT_EQ(lines, Lines{"Arquivo " + NetlistPathsFor(path).netlistPath + " inexistente."});
    }
}

TEST_F(NetlistReaderTest, ANetlistNamedLikeItsTableIsNeverOverwritten)
{
    std::string path = dir.Write("circ.tab", "T\nR1 1 0 1\n");
    EXPECT_FALSE(ReadFile(path));
    EXPECT_EQ(lines, Lines{"O netlist " + path + " seria sobrescrito pela tabela."});
}

TEST_F(NetlistReaderTest, TheFiftyFirstNodeIsRefusedEachTimeAndTheRunInterrupted)
{
    EXPECT_FALSE(Read(ResistorsToOwnNodes(52)));
    Lines expectedTail = {"R51 n51 0 1", "O programa só aceita até 50 nós.", "R52 n52 0 1",
                          "O programa só aceita até 50 nós.", "Análise interrompida."};
    ASSERT_GE(lines.size(), expectedTail.size());
    EXPECT_EQ(Lines(lines.end() - 5, lines.end()), expectedTail);
    EXPECT_EQ(lines.size(), 55u);
    EXPECT_TRUE(circuit.RunFailed);
    EXPECT_EQ(circuit.element(52).a, 50);

    ASSERT_TRUE(Read(ResistorsToOwnNodes(50) + "R51 n50 0 1\n"));
    EXPECT_EQ(circuit.nodeCount, 50);
}

TEST_F(NetlistReaderTest, ExtraCurrentsBeyondFiftyUnknownsAreRefused)
{
    EXPECT_FALSE(Read(ResistorsToOwnNodes(50) + "V1 n1 0 1\n"));
    EXPECT_EQ(lines.back(), "As correntes extra excederam o número de variáveis permitido (50).");
    EXPECT_FALSE(Read(ResistorsToOwnNodes(49) + "H1 n1 0 n2 0 1\n"));
    EXPECT_EQ(lines.back(), "As correntes extra excederam o número de variáveis permitido (50).");

    ASSERT_TRUE(Read(ResistorsToOwnNodes(48) + "Habcdefghi n1 0 n2 0 1\n"));
    EXPECT_EQ(circuit.variableCount, 50);
    EXPECT_STREQ(circuit.nodeTable[49], "jxHabcdefghi");
    EXPECT_STREQ(circuit.nodeTable[50], "jyHabcdefghi");
    EXPECT_EQ(element(49).x, 49);
    EXPECT_EQ(element(49).y, 50);
    EXPECT_EQ(lines[lines.size() - 3], "49: jxHabcdefghi");
    EXPECT_EQ(lines[lines.size() - 2], "50: jyHabcdefghi");
}

TEST_F(NetlistReaderTest, ExtraCurrentsFollowTheNodesInElementOrder)
{
    ASSERT_TRUE(Read("E1 2 0 1 0 10\nR1 1 0 1\nA1 3 0 2 1 1e6 10 50\nV1 1 0 1\nH1 4 0 1 2 5\n"
                     "F1 4 0 3 0 2\nO1 5 0 4 0\nL1 5 0 1e-3\nX1 5 0 1e-3\nC1 5 0 1\n"));
    EXPECT_EQ(circuit.nodeCount, 5);
    Lines names;
    for (int k = circuit.nodeCount + 1; k <= circuit.variableCount; ++k)
        names.push_back(circuit.nodeTable[k]);
    EXPECT_EQ(names, (Lines{"jE1", "jA1", "jV1", "jxH1", "jyH1", "jF1", "jO1", "jL1"}));
    EXPECT_EQ(element(1).x, 6);
    EXPECT_EQ(element(3).x, 7);
    EXPECT_EQ(element(5).x, 9);
    EXPECT_EQ(element(5).y, 10);
    EXPECT_EQ(element(8).x, 13);
    EXPECT_EQ(element(9).x, 0);
    EXPECT_EQ(lines.back(), "O circuito tem 5 nós, 13 variáveis e 10 elementos.");
}

TEST_F(NetlistReaderTest, CouplingsLinkEarlierInductorsAndTheirCurrents)
{
    ASSERT_TRUE(Read("L1 1 0 1e-3\n* comentario\n.AC LIN 2 1 2\nL2 2 0 4e-3\nK1 L2 L1 0.5\n"));
    EXPECT_EQ(Lines(lines.begin() + 3, lines.begin() + 5),
              (Lines{"K1 L2 L1 0.5", "(L2 está na linha 2, L1 está na linha 1)"}));
    const Element& k = element(3);
    EXPECT_EQ(k.a, 2);
    EXPECT_EQ(k.b, 1);
    EXPECT_DOUBLE_EQ(k.values[0], 0.5);
    EXPECT_DOUBLE_EQ(k.values[1], 1e-3);
    EXPECT_EQ(k.x, element(2).x);
    EXPECT_EQ(k.y, element(1).x);
    EXPECT_EQ(circuit.variableCount, 4);

    // The last inductor of a repeated name is the one linked.
    ASSERT_TRUE(Read("L1 1 0 1\nL1 2 0 9\nL3 3 0 1\nK1 L1 L3 1\n"));
    EXPECT_EQ(element(4).a, 2);
    EXPECT_DOUBLE_EQ(element(4).values[1], 3);
}

TEST_F(NetlistReaderTest, TheAcLineSetsTheSweep)
{
    struct Case {
        std::string line;
        Lines log;
        int mode, points;
        double fStart, fEnd;
    };
    // The sweep before each reading: fields the line does not give keep these.
    const SweepSpec earlier = {2, 7, 3, 777};
    const Case cases[] = {
        {".AC DEC 10 1 1e6", {".AC DEC 10 1 1e+06"}, 1, 10, 1, 1e6},
        {".AC LIN 100 10 1000", {".AC LIN 100 10 1000"}, 0, 100, 10, 1000},
        {".AC LOG 5 1 100", {".AC LOG 5 1 100"}, 1, 5, 1, 100},
        {".AC OCT 3 100 800", {".AC OCT 3 100 800"}, 2, 3, 100, 800},
        {".AC XYZ 10 1 100",
         {".AC XYZ 10 1 100", "Formato de escala não reconhecido: XYZ. Assumido LIN."},
         0,
         10,
         1,
         100},
        {".AC dec 10 1 100",
         {".AC dec 10 1 100", "Formato de escala não reconhecido: dec. Assumido LIN."},
         0,
         10,
         1,
         100},
        {".AC DEC 10 1", {".AC DEC 10 1 777"}, 1, 10, 1, 777},
        {".AC DEC 10.5 2", {".AC DEC 10 0.5 2"}, 1, 10, 0.5, 2},
        {".AC DEC x 5 6", {".AC DEC 7 3 777"}, 1, 7, 3, 777},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        circuit.sweep = earlier;
        ASSERT_TRUE(Read(c.line + "\n"));
        EXPECT_EQ(Echoes(), c.log);
        EXPECT_EQ(circuit.sweep.mode, c.mode);
        EXPECT_EQ(circuit.sweep.points, c.points);
        EXPECT_EQ(circuit.sweep.fStart, c.fStart);
        EXPECT_EQ(circuit.sweep.fEnd, c.fEnd);
        EXPECT_FALSE(circuit.useSettingsSweep);
        EXPECT_EQ(circuit.elementCount, 0);
    }
}

TEST_F(NetlistReaderTest, OtherCommandsAndALowerCaseAcAreReportedAndSkipped)
{
    circuit.sweep = {2, 7, 3, 777};
    ASSERT_TRUE(Read(".ac lin 10 1 100\n.OP\nR1 1 0 1\n"));
    EXPECT_EQ(Echoes(), (Lines{"Linha de comando não reconhecida: .ac lin 10 1 100\n",
                               "Linha de comando não reconhecida: .OP\n", "R1 1 0 1"}));
    EXPECT_TRUE(circuit.useSettingsSweep);
    EXPECT_EQ(circuit.sweep.mode, 2);
    EXPECT_EQ(circuit.sweep.points, 7);
}

TEST_F(NetlistReaderTest, TheLastAcLineWinsUnlessTheSettingsSayToIgnoreIt)
{
    ASSERT_TRUE(Read(".AC LIN 10 1 100\nR1 1 0 1\n.AC OCT 4 8 64\n"));
    EXPECT_EQ(circuit.sweep.mode, 2);
    EXPECT_EQ(circuit.sweep.points, 4);
    EXPECT_FALSE(circuit.useSettingsSweep);
    ASSERT_TRUE(Read("R1 1 0 1\n")); // the next netlist, without a line, sweeps as set
    EXPECT_TRUE(circuit.useSettingsSweep);
    ASSERT_TRUE(Read(".AC OCT 4 8 64\n"));
    ASSERT_TRUE(Read(".AC LIN 10 1 100\n", true));
    EXPECT_TRUE(circuit.useSettingsSweep);
    EXPECT_EQ(circuit.sweep.points, 10);
    ASSERT_TRUE(Read("R1 1 0 1\n"));
    EXPECT_TRUE(circuit.useSettingsSweep);
}

TEST(NetlistPaths, DotRulesApplyWithinTheFileNameOnly)
{
    struct Case {
        const char* path;
        const char* netlist;
        const char* table;
    };
    const Case cases[] = {
        {"circ", "circ.net", "circ.tab"},
        {"circ.net", "circ.net", "circ.tab"},
        {"a.b.net", "a.b.net", "a.tab"},
        {"circ.cir", "circ.cir", "circ.tab"},
        {"dir.v2/circ", "dir.v2/circ.net", "dir.v2/circ.tab"},
        {"./exemplo.net", "./exemplo.net", "./exemplo.tab"},
        {"../v1.2/circ.net", "../v1.2/circ.net", "../v1.2/circ.tab"},
        {"/tmp/x.y/z", "/tmp/x.y/z.net", "/tmp/x.y/z.tab"},
        {"C:\\a.b\\circ.net", "C:\\a.b\\circ.net", "C:\\a.b\\circ.tab"},
        {"C:\\a.b\\circ", "C:\\a.b\\circ.net", "C:\\a.b\\circ.tab"},
        {".net", ".net", ".tab"},
    };
    for (const Case& c : cases) {
        NetlistPaths paths = NetlistPathsFor(c.path);
        EXPECT_EQ(paths.netlistPath, c.netlist) << c.path;
        EXPECT_EQ(paths.tablePath, c.table) << c.path;
    }
}

TEST_F(NetlistReaderTest, AFolderWithADotHoldsTheNetlistAndItsTable)
{
    std::filesystem::create_directory(dir.Path() + "/dir.v2");
    dir.Write("dir.v2/circ.net", "T\nR1 1 0 1\n");
    ASSERT_TRUE(ReadFile(dir.Path() + "/dir.v2/circ"));
    EXPECT_EQ(circuit.netlistPath, dir.Path() + "/dir.v2/circ.net");
    EXPECT_EQ(circuit.tablePath, dir.Path() + "/dir.v2/circ.tab");
}

TEST_F(NetlistReaderTest, TwoHundredElementsAreAcceptedWithCommentsAndCommandsAfterThem)
{
    std::string body = Repeat("R1 1 0 1\n", 200);
    ASSERT_TRUE(Read(body + "* fim\n.AC LIN 2 1 2\n"));
    EXPECT_EQ(circuit.elementCount, 200);
    ASSERT_TRUE(Read("* inicio\n" + body + "* fim\n"));

    EXPECT_FALSE(Read(body + "* fim\nR201 1 0 1\nR202 1 0 1\n"));
    EXPECT_EQ(lines.back(), "O programa só aceita até 200 elementos.");
    EXPECT_EQ(lines[lines.size() - 2], "R1 1 0 1");
    EXPECT_EQ(circuit.elementCount, 200);
}

TEST_F(NetlistReaderTest, LongLinesAreReadWhole)
{
    // The tail of a long comment must not become an element line of its own.
    std::string comment = "*" + std::string(250, '-') + "R9 1 0 1\n";
    ASSERT_TRUE(Read(comment + "R1 1 0 5\n"));
    EXPECT_EQ(Echoes(), Lines{"R1 1 0 5"});

    ASSERT_TRUE(Read("R1 1 0" + std::string(300, ' ') + "1000\n"));
    EXPECT_EQ(Echoes(), Lines{"R1 1 0 1000"});

    // Lines far beyond the buffer: the part past it is skipped, the next line read normally.
    ASSERT_TRUE(Read("*" + std::string(100000, 'x') + "\nR1 1 0 5\n"));
    EXPECT_EQ(Echoes(), Lines{"R1 1 0 5"});
    ASSERT_TRUE(Read("R1 1 0 5" + std::string(100000, ' ') + "R2 1 0 6\nR3 1 0 7\n"));
    EXPECT_EQ(Echoes(), (Lines{"R1 1 0 5", "R3 1 0 7"}));
    // The documented limit: 4095 characters are read, the 4096th and later are not.
    std::string start = "R1 1 0";
    ASSERT_TRUE(Read(start + std::string(4095 - start.size() - 1, ' ') + "5\n"));
    EXPECT_EQ(Echoes(), Lines{"R1 1 0 5"});
    ASSERT_TRUE(Read(start + std::string(4095 - start.size(), ' ') + "5\r\n"));
    EXPECT_EQ(Echoes(), Lines{"R1 1 0 0"});
    // A long title too.
    ASSERT_TRUE(ReadFile(dir.Write("t.net", std::string(500, 'T') + "R2 1 0 1\nR1 1 0 5\n")));
    EXPECT_EQ(Echoes(), Lines{"R1 1 0 5"});
}

TEST_F(NetlistReaderTest, ElementRecordsStartClearOnEveryReading)
{
    ASSERT_TRUE(Read("A1 o 0 m p 1 2 3\nQ1 c b e N\n"));
    ASSERT_TRUE(Read("A1 o 0 m p\nR1 1 0 1\n"));
    EXPECT_EQ(Echoes(), (Lines{"A1 o 0 m p 0 0 0", "R1 1 0 1"}));
    EXPECT_EQ(element(2).values[1], 0);
    EXPECT_EQ(element(2).y, 0);
}

TEST_F(NetlistReaderTest, LineEndsNulBytesAndForeignBytesAreHandled)
{
    ASSERT_TRUE(Read("R1 1 0 1\r\nR2 1 0 2\r\n"));
    EXPECT_EQ(Echoes(), (Lines{"R1 1 0 1", "R2 1 0 2"}));
    EXPECT_FALSE(Read("R1 1 0 1\r\n\r\n"));
    EXPECT_EQ(lines.back(), "Elemento desconhecido: \n");

    // A NUL byte ends its line's text; the next line is read as usual.
    ASSERT_TRUE(Read("R1 1 0 1\0R7 7 7 7\nR2 1 0 2\n"s));
    EXPECT_EQ(Echoes(), (Lines{"R1 1 0 1", "R2 1 0 2"}));
    EXPECT_FALSE(Read("\0R1 1 0 1\n"s));
    EXPECT_EQ(lines.back(), "Elemento desconhecido: ");

    // Latin-1 bytes are shown as UTF-8; UTF-8 text is shown as it is.
    ASSERT_TRUE(Read("R1 n\xF3 0 1\nR2 sa\xC3\xAD"
                     "da 0 1\n"));
    EXPECT_EQ(Echoes(), (Lines{"R1 nó 0 1", "R2 saída 0 1"}));
    EXPECT_EQ(lines[lines.size() - 3], "1: nó");
    EXPECT_EQ(lines[lines.size() - 2], "2: saída");
    EXPECT_FALSE(Read("\xC7"
                      "1 1 0 1\n"));
    EXPECT_EQ(lines.back(), "Elemento desconhecido: Ç1 1 0 1\n");
}

TEST_F(NetlistReaderTest, EmptyFileAndTitleOnlyGiveAnEmptyCircuit)
{
    ASSERT_TRUE(ReadFile(dir.Write("vazio.net", "")));
    EXPECT_EQ(lines.back(), "O circuito tem 0 nós, 0 variáveis e 0 elementos.");
    ASSERT_TRUE(ReadFile(dir.Write("titulo.net", "So o titulo")));
    EXPECT_EQ(lines,
              (Lines{"Variáveis: ", "0: 0", "O circuito tem 0 nós, 0 variáveis e 0 elementos."}));
}

// Whatever bytes the file holds, the reading ends with a known last line and the tables stay
// within their limits (run under the sanitizers for the bounds).
TEST_F(NetlistReaderTest, ArbitraryBytesEndWithAKnownMessage)
{
    const char* endings[] = {"O circuito tem ",
                             "Elemento desconhecido: ",
                             "Transistor inválido",
                             "Número errado de parâmetros",
                             "Indutor não encontrado.",
                             "Indutâncias inválidas",
                             "O programa só aceita até 200 elementos.",
                             "Análise interrompida.",
                             "As correntes extra excederam"};
    std::mt19937 random(12345);
    const std::string alphabet =
        "RCLXIVGEFHYOATKDQMNrclx*.  \t\n\n\n=()LW0123456789e-+.\0\r\xF3\xC3\xFF"s;
    for (int round = 0; round < 400; ++round) {
        std::string bytes;
        int length = static_cast<int>(random() % 3000);
        for (int i = 0; i < length; ++i)
            bytes += round % 2 == 0 ? static_cast<char>(random() & 0xFF)
                                    : alphabet[random() % alphabet.size()];
        Read(bytes);
        ASSERT_FALSE(lines.empty());
        bool known = false;
        for (const char* ending : endings)
            known = known || lines.back().rfind(ending, 0) == 0;
        EXPECT_TRUE(known) << lines.back();
        EXPECT_LE(circuit.elementCount, MaxElements);
        EXPECT_LE(circuit.variableCount, MaxVariables);
    }
}

} // namespace
