// The envelope of Monte Carlo tables: minimum, median and maximum per column and frequency, phases
// kept together across the half turn, tables read in blocks, and tables that do not match.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/message_log.h"
#include "steps/envelope.h"
#include "test_support.h"

using namespace talvor;

namespace {

class EnvelopeTest : public ::testing::Test {
protected:
    // Writes the tables, one text each, and their envelope; the envelope's lines, or none when
    // it was refused.
    std::vector<std::string> Envelope(const std::vector<std::string>& texts, double halfTurn = 180,
                                      size_t blockValues = EnvelopeBlockValues)
    {
        std::vector<std::string> tables;
        for (size_t k = 0; k < texts.size(); ++k)
            tables.push_back(dir.Write("t_" + std::to_string(k + 1) + ".tab", texts[k]));
        sink.lines.clear();
        const std::string path = dir.Path() + "/t_envelope.tab";
        if (!WriteEnvelope(tables, path, halfTurn, log, blockValues))
            return {};
        return SplitLines(ReadWholeFile(path));
    }

    TempDir dir;
    RecordingSink sink;
    MessageLog log{sink};
};

TEST_F(EnvelopeTest, MinimumMedianAndMaximumOfEveryColumn)
{
    const std::vector<std::string> lines = Envelope({
        "f 2m 2f \n10 1 -10\n100 0.5 -45\n",
        "f 2m 2f \n10 3 -12\n100 0.25 -40\n",
        "f 2m 2f \n10 2 -11\n100 0.75 -50\n",
    });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "f min2m med2m max2m min2f med2f max2f",
                         "10 1 2 3 -12 -11 -10",
                         "100 0.25 0.5 0.75 -50 -45 -40",
                     }));
    EXPECT_TRUE(sink.lines.empty());
}

TEST_F(EnvelopeTest, TheMedianOfAnEvenCountIsTheMeanOfTheMiddleTwoAndOneTableIsItsOwnEnvelope)
{
    EXPECT_EQ(Envelope({"f 1m\n1 4\n", "f 1m\n1 1\n", "f 1m\n1 2\n", "f 1m\n1 10\n"}),
              (std::vector<std::string>{"f min1m med1m max1m", "1 1 3 10"}));
    EXPECT_EQ(Envelope({"f 1m\n1 4\n2 5\n"}),
              (std::vector<std::string>{"f min1m med1m max1m", "1 4 4 4", "2 5 5 5"}));
}

TEST_F(EnvelopeTest, PhasesAcrossTheHalfTurnStayOneBand)
{
    // 179 and -179 degrees are two degrees apart, not 358.
    EXPECT_EQ(Envelope({"f 2f\n1 179\n", "f 2f\n1 -179\n", "f 2f\n1 178\n"}),
              (std::vector<std::string>{"f min2f med2f max2f", "1 178 179 181"}));
    // In radians the half turn is pi; a magnitude column ending in "m" is never wrapped.
    EXPECT_EQ(Envelope({"f 2f 2m\n1 3.1 -3.1\n", "f 2f 2m\n1 -3.1 3.1\n"}, 3.141592653589793),
              (std::vector<std::string>{"f min2f med2f max2f min2m med2m max2m",
                                        "1 3.1 3.14159 3.18319 -3.1 0 3.1"}));
}

TEST_F(EnvelopeTest, BlocksOfAFewRowsGiveTheSameEnvelope)
{
    std::vector<std::string> texts(3, "f 1m 1f\n");
    for (int row = 1; row <= 25; ++row)
        for (int t = 0; t < 3; ++t)
            texts[t] += std::to_string(row) + " " + std::to_string(row * (t + 1)) + " " +
                        std::to_string(-row - t) + "\n";
    const std::vector<std::string> whole = Envelope(texts);
    ASSERT_EQ(whole.size(), 26u);
    EXPECT_EQ(whole[25], "25 25 50 75 -27 -26 -25");
    for (size_t block : {1, 9, 18, 27, 30, 75, 1000})
        EXPECT_EQ(Envelope(texts, 180, block), whole) << block;
}

struct RefusedCase {
    std::vector<std::string> tables;
    const char* message; // the start of the log line, before the table's path
};

TEST_F(EnvelopeTest, TablesThatDoNotMatchTheFirstAreRefused)
{
    const std::string good = "f 1m 1f\n1 2 3\n2 4 5\n";
    const RefusedCase cases[] = {
        {{good, "f 1m 2m\n1 2 3\n2 4 5\n"},
         "Envelope não escrito: colunas diferentes das da primeira tabela em "},
        {{good, "f 1m 1f\n1 2 3\n"},
         "Envelope não escrito: frequências diferentes das da primeira tabela em "},
        {{good, "f 1m 1f\n1 2 3\n2 4 5\n3 6 7\n"},
         "Envelope não escrito: frequências diferentes das da primeira tabela em "},
        {{good, "f 1m 1f\n1 2 3\n2.5 4 5\n"},
         "Envelope não escrito: frequências diferentes das da primeira tabela em "},
        {{good, "f 1m 1f\n1 2 3\n2 4\n"}, "Envelope não escrito: linha ilegível na tabela "},
        {{good, "f 1m 1f\n1 2 3\n2 4 x\n"}, "Envelope não escrito: linha ilegível na tabela "},
        {{good, "f 1m 1f\n1 2 3\n2 nan 5\n"}, "Envelope não escrito: linha ilegível na tabela "},
        {{good, "f 1m 1f\n1 2 3\n2 4 5 6\n"}, "Envelope não escrito: linha ilegível na tabela "},
        {{""}, "Envelope não escrito: não foi possível ler a tabela "},
        {{"f\n1\n"}, "Envelope não escrito: sem colunas de valores na tabela "},
    };
    for (const RefusedCase& c : cases) {
        EXPECT_TRUE(Envelope(c.tables).empty()) << c.message;
        ASSERT_EQ(sink.lines.size(), 1u) << c.message;
        EXPECT_EQ(sink.lines[0].rfind(c.message, 0), 0u) << sink.lines[0];
    }
    EXPECT_FALSE(WriteEnvelope({}, dir.Path() + "/x.tab", 180, log));
    EXPECT_EQ(sink.lines.back(), "Envelope não escrito: nenhuma execução terminou com sucesso.");
}

} // namespace
