// Pairing a table's columns for the column picker, and the likely output node.
#include "plot/table_columns.h"

#include <cctype>

#include "common/c_text.h"

namespace talvor {

namespace {

bool EndsWith(const std::string& word, char last) { return word.size() > 1 && word.back() == last; }

// "jV1", "jxH1", "jyH1": the current of an element, whose name starts with its capital letter.
bool IsExtraCurrentName(const std::string& name)
{
    size_t letter = 1;
    if (name.size() > 2 && (name[1] == 'x' || name[1] == 'y') &&
        std::isupper(static_cast<unsigned char>(name[2])))
        letter = 2;
    return name.size() > letter && name[0] == 'j' &&
           std::isupper(static_cast<unsigned char>(name[letter]));
}

// The name in lower case, its "í" (UTF-8 or Latin-1, either case) read as "i".
std::string Folded(const std::string& bytes)
{
    const std::string text = DisplayText(bytes).c_str();
    std::string folded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\xc3' && i + 1 < text.size() &&
            (text[i + 1] == '\xad' || text[i + 1] == '\x8d')) {
            folded += 'i';
            ++i;
        } else {
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        }
    }
    return folded;
}

} // namespace

TableColumns PairColumns(const std::vector<std::string>& header, int nodeCount)
{
    TableColumns columns;
    if (header.empty())
        return columns;
    columns.x = header[0];
    int unknowns = 0;
    for (size_t i = 1; i < header.size(); ++i) {
        const std::string& word = header[i];
        TableEntry entry;
        if (EndsWith(word, 'm') && i + 1 < header.size() &&
            header[i + 1] == word.substr(0, word.size() - 1) + "f") {
            entry.name = word.substr(0, word.size() - 1);
            entry.magnitude = word;
            entry.phase = header[++i];
            ++unknowns;
            entry.isNode = nodeCount >= 0 ? unknowns <= nodeCount : !IsExtraCurrentName(entry.name);
        } else {
            entry.name = entry.magnitude = word;
        }
        columns.entries.push_back(entry);
    }
    return columns;
}

int LikelyOutput(const TableColumns& columns)
{
    int lastNode = -1;
    for (size_t i = 0; i < columns.entries.size(); ++i) {
        const TableEntry& entry = columns.entries[i];
        if (!entry.isNode)
            continue;
        const std::string name = Folded(entry.name);
        if (name == "out" || name == "saida" || name == "vo" || name == "vout")
            return static_cast<int>(i);
        lastNode = static_cast<int>(i);
    }
    return lastNode;
}

} // namespace talvor
