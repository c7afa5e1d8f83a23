// talvor-cli against ngspice: the same circuits solved by ngspice (decks *.cir, listed in
// decks.tsv with talvor-cli's options, results stored in *.expected by make_expected.py) must
// give the same magnitudes and phases at every frequency that ngspice reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

const std::string DataDir = TALVOR_TEST_DATA "/ngspice";

struct Deck {
    std::string name;
    std::string options;
};

std::vector<Deck> ReadDecks()
{
    std::vector<Deck> decks;
    std::ifstream in(DataDir + "/decks.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        Deck deck;
        std::getline(fields, deck.name, '\t');
        std::getline(fields, deck.options, '\t');
        decks.push_back(deck);
    }
    return decks;
}

bool HasOption(const Deck& deck, const std::string& option)
{
    return (" " + deck.options + " ").find(" " + option + " ") != std::string::npos;
}

// The row of our table at frequency f, -1 when there is none.
int RowAt(const Table& table, double f)
{
    for (size_t k = 0; k < table.rows.size(); ++k)
        if (std::fabs(std::atof(table.rows[k][0].c_str()) - f) <= 1e-5 * std::fabs(f))
            return static_cast<int>(k);
    return -1;
}

// Phases compared on the circle, so that −180 and 180 agree.
double PhaseDifference(double a, double b, double fullTurn)
{
    double d = std::fmod(std::fabs(a - b), fullTurn);
    return d > fullTurn / 2 ? fullTurn - d : d;
}

class AgainstNgspice : public ::testing::TestWithParam<Deck> {};

TEST_P(AgainstNgspice, MagnitudesAndPhasesAgree)
{
    const Deck& deck = GetParam();
    const bool decibels = HasOption(deck, "--db");
    const bool radians = HasOption(deck, "--radians");
    TempDir dir;
    CopyInto(DataDir + "/" + deck.name + ".net", dir.Path());
    CliRun run = RunCli(deck.options + " " + deck.name, dir.Path());
    ASSERT_EQ(run.status, 0) << run.out;
    Table ours = ReadTable(dir.Path() + "/" + deck.name + ".tab");
    Table expected = ReadTable(DataDir + "/" + deck.name + ".expected");
    ASSERT_FALSE(expected.rows.empty());
    for (const auto& row : expected.rows) {
        double f = std::atof(row[0].c_str());
        int at = RowAt(ours, f);
        ASSERT_GE(at, 0) << "no row at f=" << f;
        for (size_t k = 1; k < row.size(); ++k) {
            const std::string& name = expected.names[k];
            int column = ours.Find(name);
            ASSERT_GE(column, 0) << name;
            double want = std::atof(row[k].c_str());
            double got = std::atof(ours.rows[at][column].c_str());
            if (name.back() == 'm')
                // 1e-4 relative is 8.7e-4 dB.
                EXPECT_NEAR(got, want, decibels ? 1e-3 : 1e-4 * std::fabs(want))
                    << name << " at f=" << f;
            else
                EXPECT_LE(PhaseDifference(got, want, radians ? 2 * M_PI : 360),
                          radians ? 3.5e-5 : 2e-3)
                    << name << " at f=" << f << ": " << got << " vs " << want;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Decks, AgainstNgspice, ::testing::ValuesIn(ReadDecks()),
                         [](const ::testing::TestParamInfo<Deck>& param) {
                             return param.param.name;
                         });

} // namespace
