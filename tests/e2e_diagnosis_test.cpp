// The diagnosis catalogue (tests/data/diagnosis/catalogue.tsv) through talvor-cli: every broken
// circuit ends with the run's own lines in their place and then its expected diagnosis, every
// sound one with the run's success and nothing after it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

using Lines = std::vector<std::string>;

const std::string Catalogue = TALVOR_TEST_DATA "/diagnosis";

struct Entry {
    std::string name;
    std::string netlist;
    std::string options;
    int status = -1;
    std::string what;
};

std::vector<Entry> ReadCatalogue()
{
    std::vector<Entry> entries;
    for (const std::vector<std::string>& f : ReadCatalogueRows(Catalogue + "/catalogue.tsv", 5))
        entries.push_back({f[0], f[1], f[2], std::stoi(f[3]), f[4]});
    return entries;
}

TEST(DiagnosisCatalogue, HoldsEveryKindOfFault)
{
    int broken = 0, sound = 0, checks = 0;
    for (const Entry& entry : ReadCatalogue()) {
        const bool check = entry.options.find("--check") != std::string::npos;
        checks += check;
        (entry.status == 0 ? sound : broken) += !check;
    }
    EXPECT_GE(broken, 15);
    EXPECT_GE(sound, 5);
    EXPECT_GE(checks, 3);
}

TEST(DiagnosisCatalogue, EveryCircuitEndsWithItsExpectedLines)
{
    for (const Entry& entry : ReadCatalogue()) {
        SCOPED_TRACE(entry.name + " (" + entry.what + ")");
        TempDir dir;
        CopyInto(Catalogue + "/" + entry.netlist, dir.Path());
        const CliRun run = RunCli(entry.options + " " + entry.netlist, dir.Path());
        EXPECT_EQ(run.status, entry.status);
        EXPECT_EQ(run.err, "");
        Lines expected = SplitLines(ReadWholeFile(Catalogue + "/" + entry.name + ".expected"));
        while (!expected.empty() && expected.back().empty())
            expected.pop_back();
        Lines log = SplitLines(run.out);
        while (!log.empty() && log.back().empty())
            log.pop_back();
        ASSERT_FALSE(expected.empty());
        ASSERT_GE(log.size(), expected.size()) << run.out;
        ExpectSameLines(Lines(log.end() - static_cast<long>(expected.size()), log.end()), expected,
                        entry.name + ".expected");
    }
}

TEST(DiagnosisCatalogue, ThreadsGiveTheSameDiagnosis)
{
    // A sweep that fails in its parallel part, at the 1001st point (f = 0): the diagnosis must
    // name the frequency of that point, however many threads solved the ones before it.
    TempDir dir;
    dir.Write("c.net",
              "Capacitores\nV1 1 0 1\nC1 1 2 1e-6\nC2 2 0 1e-6\n.AC LIN 2001 -1000 1000\n");
    Lines tails[2];
    for (int k = 0; k < 2; ++k) {
        const CliRun run =
            RunCli("c", dir.Path(), k == 0 ? "TALVOR_THREADS=1" : "TALVOR_THREADS=3");
        EXPECT_EQ(run.status, 1);
        const Lines log = SplitLines(run.out);
        ASSERT_GE(log.size(), 2u);
        tails[k] = Lines(log.end() - 2, log.end());
    }
    EXPECT_EQ(tails[0], (Lines{"O nó 2 não tem caminho para a terra em f=0.",
                               "Liga-se ao resto do circuito só por C1 (capacitor, aberto em f=0) "
                               "e C2 (capacitor, aberto em f=0)."}));
    EXPECT_EQ(tails[1], tails[0]);
}

TEST(DiagnosisCatalogue, CheckReportsAMissingNetlistAsAFailure)
{
    TempDir dir;
    const CliRun run = RunCli("--check nofile", dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(SplitLines(run.out), (Lines{"", "Arquivo nofile.net inexistente."}));
}

} // namespace
