// talvor-cli against ngspice: the same circuits solved by ngspice (decks *.cir, results stored in
// *.expected by make_expected.py) must give the same magnitudes and phases at every frequency
// that ngspice reports.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "test_support.h"

namespace {

const std::string DataDir = TALVOR_TEST_DATA "/ngspice";

// The row of our table at frequency f, -1 when there is none.
int RowAt(const Table& table, double f)
{
    for (size_t k = 0; k < table.rows.size(); ++k)
        if (std::fabs(std::atof(table.rows[k][0].c_str()) - f) <= 1e-5 * std::fabs(f))
            return static_cast<int>(k);
    return -1;
}

// Phases compared on the circle, so that −180 and 180 agree.
double PhaseDifference(double a, double b)
{
    double d = std::fmod(std::fabs(a - b), 360.0);
    return d > 180 ? 360 - d : d;
}

TEST(AgainstNgspice, MagnitudesAndPhasesAgree)
{
    struct Case {
        const char* deck;
        const char* options;
    };
    const Case cases[] = {
        {"rc", ""},         {"rlc", ""},
        {"controlled", ""}, {"diode", "--no-junction-caps"},
        {"varactor", ""},   {"bjt", "--no-junction-caps"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deck);
        TempDir dir;
        CopyInto(DataDir + "/" + c.deck + ".net", dir.Path());
        CliRun run = RunCli(std::string(c.options) + " " + c.deck, dir.Path());
        ASSERT_EQ(run.status, 0) << run.out;
        Table ours = ReadTable(dir.Path() + "/" + c.deck + ".tab");
        Table expected = ReadTable(DataDir + "/" + c.deck + ".expected");
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
                    EXPECT_NEAR(got, want, 1e-4 * std::fabs(want)) << name << " at f=" << f;
                else
                    EXPECT_LE(PhaseDifference(got, want), 2e-3)
                        << name << " at f=" << f << ": " << got << " vs " << want;
            }
        }
    }
}

} // namespace
