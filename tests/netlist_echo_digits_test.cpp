// The echo of every element type with six significant digits in every value (so that the "%g"
// of each field shows), lower-case letters and source words, the first letter's case folding at
// the edges of the alphabet, and the last line of a file without a line end.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "netlist/netlist_reader.h"
#include "test_support.h"

using namespace talvor;

namespace {

using Lines = std::vector<std::string>;

// Reads "Titulo\n" + body; returns the log without its first line ("Lendo netlist ...:"),
// without the reader's notes ("linha N: ...", tested in netlist_reader_notes_test.cpp) and
// without the variable list that follows a successful reading.
Lines Echo(const std::string& body, bool* ok = nullptr)
{
    TempDir dir;
    RecordingSink sink;
    MessageLog log(sink);
    auto circuit = std::make_unique<Circuit>();
    const bool read = ReadNetlist(*circuit, log, dir.Write("c.net", "Titulo\n" + body), false);
    if (ok)
        *ok = read;
    Lines lines;
    for (size_t k = 1; k < sink.lines.size(); ++k)
        if (sink.lines[k].rfind("linha ", 0) != 0)
            lines.push_back(sink.lines[k]);
    for (size_t k = 0; k < lines.size(); ++k)
        if (lines[k] == "Variáveis: ")
            return Lines(lines.begin(), lines.begin() + k);
    return lines;
}

TEST(NetlistEcho, EveryFieldWithSixDigits)
{
    struct Case {
        const char* line;
        Lines echo;
    };
    const Case cases[] = {
        {"R1 a b 123456", {"R1 a b 123456"}},
        {"C1 a b 1.234567e-9", {"C1 a b 1.23457e-09"}},
        {"L1 a b 0.1234564", {"L1 a b 0.123456"}},
        {"X1 a b 654321", {"X1 a b 654321"}},
        {"I1 a b 1.23456 45.6789 2.34567", {"I1 a b (1.23456 45.6789 2.34567)"}},
        {"V1 a b 7.65432 -12.3456 -3.45678", {"V1 a b (7.65432 -12.3456 -3.45678)"}},
        {"V1 a 0 DC 1.23456", {"Fonte CC convertida:", "V1 a 0 (0 0 1.23456)"}},
        {"V1 a 0 SIN(1.23456 1 1000)", {"Fonte senoidal convertida:", "V1 a 0 (1 0 1.23456)"}},
        {"V1 a 0 PULSE(2.34567 5 0)", {"Fonte pulsada convertida:", "V1 a 0 (1 0 2.34567)"}},
        {"v1 a 0 dc 3.14159", {"Fonte CC convertida:", "V1 a 0 (0 0 3.14159)"}},
        {"i1 a 0 sin(2.71828 1)", {"Fonte senoidal convertida:", "I1 a 0 (1 0 2.71828)"}},
        {"i1 a 0 pulse(-1.41421 1)", {"Fonte pulsada convertida:", "I1 a 0 (1 0 -1.41421)"}},
        {"G1 a b c d 123456", {"G1 a b c d 123456"}},
        {"e1 a b c d 234567", {"E1 a b c d 234567"}},
        {"f1 a b c d 345678", {"F1 a b c d 345678"}},
        {"h1 a b c d 456789", {"H1 a b c d 456789"}},
        {"y1 a b c d 567891", {"Y1 a b c d 567891"}},
        {"o1 a b c d", {"O1 a b c d"}},
        {"a1 a b c d 123456 654321 12.3456", {"A1 a b c d 123456 654321 12.3456"}},
        {"t1 a b c 123.456 1.23456e-9", {"T1 a b c 123.456 1.23456e-09"}},
        {"d1 a b 1.23456e-14 0.0261234 1.23456e-12 2.34567e-16",
         {"D1 a b 1.23456e-14 0.0261234 1.23456e-12 2.34567e-16"}},
        {"q1 c b e npn 0.987654 0.456789 1.23456e-15 0.0261234 2.34567e-15 0.0271234 87.6543 "
         "1.23456e-12 2.34567e-16 3.45678e-12 4.56789e-16",
         {"Q1 c b e npn 0.987654 0.456789 1.23456e-15 0.0261234 2.34567e-15 0.0271234 87.6543 "
          "1.23456e-12 2.34567e-16 3.45678e-12 4.56789e-16"}},
        {"m1 d g s b pmos L=1.23456e-6 W=2.34567e-5 1.23456e-5 0.765432 0.0123457 0.345678 "
         "0.654321 1.23457e-7",
         {"M1 d g s b pmos ( L=) 1.23456e-06 ( W=) 2.34567e-05 1.23456e-05 0.765432 0.0123457 "
          "0.345678 0.654321 1.23457e-07"}},
        {"n1 a b -1.23456 -2.34567 0 0 1.23456 3.45678 2.34567 12.3456",
         {"N1 a b -1.23456 -2.34567 0 0 1.23456 3.45678 2.34567 12.3456"}},
        {".AC DEC 12 1.23456 123456", {".AC DEC 12 1.23456 123456"}},
    };
    for (const Case& c : cases) {
        bool ok = false;
        EXPECT_EQ(Echo(std::string(c.line) + "\n", &ok), c.echo) << c.line;
        EXPECT_TRUE(ok) << c.line;
    }
}

TEST(NetlistEcho, CouplingNamesTheLinesOfItsInductors)
{
    EXPECT_EQ(Echo("R1 a 0 1\nL1 a 0 1e-3\nL2 b 0 4e-3\nk1 L1 L2 0.123456\n"),
              (Lines{"R1 a 0 1", "L1 a 0 0.001", "L2 b 0 0.004", "K1 L1 L2 0.123456",
                     "(L1 está na linha 2, L2 está na linha 3)"}));
}

TEST(NetlistEcho, FirstLetterCaseFoldingAtTheEdgesOfTheAlphabet)
{
    // 'a' and 'z' are folded; the characters next to them in the code table are not letters.
    EXPECT_EQ(Echo("a1 o 0 m p 1 2 3\n"), Lines{"A1 o 0 m p 1 2 3"});
    EXPECT_EQ(Echo("z1 1 0 5\n"), Lines{"Elemento desconhecido: Z1 1 0 5\n"});
    EXPECT_EQ(Echo("`1 1 0 5\n"), Lines{"Elemento desconhecido: `1 1 0 5\n"});
    EXPECT_EQ(Echo("{1 1 0 5\n"), Lines{"Elemento desconhecido: {1 1 0 5\n"});
}

TEST(NetlistEcho, LastLineWithoutALineEndIsRead)
{
    EXPECT_EQ(Echo("R1 1 0 5\nZ"), (Lines{"R1 1 0 5", "Elemento desconhecido: Z"}));
    EXPECT_EQ(Echo("R1 1 0 5\nR2 1 0 7"), (Lines{"R1 1 0 5", "R2 1 0 7"}));
}

TEST(NetlistEcho, LongLineEndingInCarriageReturnKeepsItsCharacters)
{
    // Past 4095 characters the line is cut, and its "\r\n" end is not among the kept characters
    // to be dropped. (The log shows at most 4095 bytes of a file's text, so the echoed line end
    // falls off.)
    const std::string kept = "Z" + std::string(4094, 'x');
    const Lines cut = Echo(kept + std::string(1000, 'y') + "\r\n");
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_TRUE(cut[0] == "Elemento desconhecido: " + kept) << cut[0].size();
    EXPECT_EQ(Echo("Z" + std::string(100, 'x') + "\r\n"),
              Lines{"Elemento desconhecido: Z" + std::string(100, 'x') + "\n"});
}

TEST(NetlistEcho, ReadingsLeaveNoFileOpen)
{
    Echo("R1 1 0 5\n");
    const size_t before = OpenFileCount();
    for (int k = 0; k < 10; ++k)
        Echo("R1 1 0 5\n");
    Echo("Z\n");
    EXPECT_EQ(OpenFileCount(), before);
}

} // namespace
