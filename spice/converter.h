// talvor-spice's conversion: a SPICE deck, as ngspice reads it, to the text of a Talvor netlist,
// with the warnings about every approximation, or the reason why it cannot be converted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace talvor {

struct Conversion {
    bool converted = false;
    std::string netlist;               // the netlist text when converted
    std::vector<std::string> warnings; // "linha N: ...", in the order found (also when refused)
    std::string refusal;               // "linha N: ..." when not converted
    int elementCount = 0, nodeCount = 0, variableCount = 0;
};

// deckName is shown in the netlist's comment block; the files the deck includes are found from
// deckFolder ("" for the current folder). Never throws; every input ends as a conversion or a
// refusal.
Conversion ConvertDeck(std::string_view deck, const std::string& deckName,
                       const std::string& deckFolder = "");

} // namespace talvor
