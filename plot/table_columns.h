// The columns of a table as the column picker lists them: the unknowns of a sweep's table with
// their magnitude and phase columns side by side, and which node is most likely the output.
#pragma once

#include <string>
#include <vector>

namespace talvor {

// One line of the picker: an unknown of a sweep's table ("2" with the columns "2m" and "2f"),
// or a column of another table alone (in magnitude, phase empty). Names are the header's bytes.
struct TableEntry {
    std::string name;
    std::string magnitude;
    std::string phase;
    bool isNode = false;
};

struct TableColumns {
    std::string x; // the first column: the frequency of a sweep's table
    std::vector<TableEntry> entries;
};

// Pairs the words of a header line after the first: a word ending in "m" followed by the same
// name ending in "f" is an unknown. Unknowns are node voltages up to nodeCount; with nodeCount
// below 0 (a table not written by the last run), every unknown but the extra currents ("j",
// "jx" or "jy" followed by an element's name, which starts with a capital letter).
TableColumns PairColumns(const std::vector<std::string>& header, int nodeCount);

// The entry of the node most likely the output: one named out, saida, saída, vo or vout (any
// case), else the last node. -1 when the table has no node.
int LikelyOutput(const TableColumns& columns);

} // namespace talvor
