// The column picker's reading of a table: unknowns paired into magnitude and phase, nodes told
// from extra currents, and the node most likely the output.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "plot/table_columns.h"

using namespace talvor;

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// "name:magnitude/phase" per entry, "*" after the nodes.
std::string Entries(const TableColumns& columns)
{
    std::string text;
    for (const TableEntry& e : columns.entries)
        text += (text.empty() ? "" : " ") + e.name + ":" + e.magnitude + "/" + e.phase +
                (e.isNode ? "*" : "");
    return text;
}

} // namespace

TEST(TableColumns, UnknownsPairedAndTheLikelyOutput)
{
    struct Case {
        const char* header;
        int nodeCount;
        const char* entries;
        const char* likely; // the name of the preselected entry, "" for none
    };
    const Case cases[] = {
        {"f 1m 1f 2m 2f jV1m jV1f", -1, "1:1m/1f* 2:2m/2f* jV1:jV1m/jV1f", "2"},
        {"f 1m 1f 2m 2f jV1m jV1f", 1, "1:1m/1f* 2:2m/2f jV1:jV1m/jV1f", "1"}, // the run knows
        {"f vccm vccf entradam entradaf saidam saidaf basem basef jVccm jVccf", -1,
         "vcc:vccm/vccf* entrada:entradam/entradaf* saida:saidam/saidaf* base:basem/basef* "
         "jVcc:jVccm/jVccf",
         "saida"},
        {"f inm inf OUTm OUTf jxH1m jxH1f jyH1m jyH1f", -1,
         "in:inm/inf* OUT:OUTm/OUTf* jxH1:jxH1m/jxH1f jyH1:jyH1m/jyH1f", "OUT"},
        {"f Vom Vof am af", -1, "Vo:Vom/Vof* a:am/af*", "Vo"},
        {"f vOutm vOutf xm xf", -1, "vOut:vOutm/vOutf* x:xm/xf*", "vOut"},
        {"f sa\xc3\xad"
         "dam sa\xc3\xad"
         "daf xm xf",
         -1,
         "sa\xc3\xad"
         "da:sa\xc3\xad"
         "dam/sa\xc3\xad"
         "daf* x:xm/xf*",
         "sa\xc3\xad"
         "da"},
        {"f SA\xcd"
         "DAm SA\xcd"
         "DAf xm xf",
         -1,
         "SA\xcd"
         "DA:SA\xcd"
         "DAm/SA\xcd"
         "DAf* x:xm/xf*",
         "SA\xcd"
         "DA"},                                                         // Latin-1
        {"f jam jaf jV1m jV1f", -1, "ja:jam/jaf* jV1:jV1m/jV1f", "ja"}, // "ja" is a node
        {"t v i", -1, "v:v/ i:i/", ""},                                 // no sweep table
        {"f 1m 1f 2m", -1, "1:1m/1f* 2m:2m/", "1"},
        {"f outm outf 2m 2f", 0, "out:outm/outf 2:2m/2f", ""}, // no nodes (a run's count)
        {"", -1, "", ""},
    };
    for (const Case& c : cases) {
        const TableColumns columns = PairColumns(Words(c.header), c.nodeCount);
        EXPECT_EQ(Entries(columns), c.entries) << c.header;
        const int likely = LikelyOutput(columns);
        EXPECT_EQ(likely < 0 ? "" : columns.entries[likely].name, c.likely) << c.header;
    }
}
