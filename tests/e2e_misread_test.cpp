// The catalogue of misread netlists (tests/data/misread/catalogue.tsv): each is run by
// talvor-cli beside the netlist written as the reader takes it. The warning is one more line,
// right after its line's echo; every other line of the log and the whole table are the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

using Lines = std::vector<std::string>;

const std::string Data = TALVOR_TEST_DATA "/misread";

struct Entry {
    std::string name, warning, what;
};

std::vector<Entry> ReadCatalogue()
{
    std::vector<Entry> entries;
    for (const std::vector<std::string>& f : ReadCatalogueRows(Data + "/catalogue.tsv", 3))
        entries.push_back({f[0], f[1], f[2]});
    return entries;
}

// The log and the table of talvor-cli on netlist, copied as c.net into a folder of its own.
std::pair<Lines, std::string> RunNetlist(const std::string& netlist)
{
    TempDir dir;
    dir.Write("c.net", ReadWholeFile(netlist));
    const CliRun run = RunCli("c", dir.Path());
    EXPECT_EQ(run.status, 0) << netlist << "\n" << run.out;
    return {SplitLines(run.out), ReadWholeFile(dir.Path() + "/c.tab")};
}

TEST(Misread, OneWarningAfterTheEchoAndNothingElseChanges)
{
    const std::vector<Entry> entries = ReadCatalogue();
    EXPECT_GE(entries.size(), 8u);
    for (const Entry& e : entries) {
        SCOPED_TRACE(e.name + " (" + e.what + ")");
        const auto [log, table] = RunNetlist(Data + "/" + e.name + ".net");
        const auto [asReadLog, asReadTable] = RunNetlist(Data + "/" + e.name + ".as_read.net");
        EXPECT_TRUE(table == asReadTable);
        const auto at = std::find(log.begin(), log.end(), e.warning);
        ASSERT_NE(at, log.end()) << JoinLines(log);
        EXPECT_EQ(std::count(log.begin(), log.end(), e.warning), 1);
        // Right after the echo of its line, which starts with the name the warning gives
        // ("linha 3: R1: ..." follows "R1 1 2 1").
        ASSERT_NE(at, log.begin());
        const size_t index = static_cast<size_t>(at - log.begin());
        const size_t nameStart = e.warning.find(": ") + 2;
        const std::string name =
            e.warning.substr(nameStart, e.warning.find(':', nameStart) - nameStart);
        EXPECT_EQ(log[index - 1].rfind(name + " ", 0), 0u) << log[index - 1];
        Lines withoutWarning(log);
        withoutWarning.erase(withoutWarning.begin() + static_cast<long>(index));
        ExpectSameLines(withoutWarning, asReadLog, e.name);
    }
}

} // namespace
