// The Talvor netlist text of a converted circuit: the deck's title, a comment block (the
// converter's mark, the counts, every warning, derived values, new names, moved currents), the
// elements and the .AC line.
#pragma once

#include <string>
#include <vector>

#include "spice/converted_circuit.h"
#include "spice/names.h"

namespace talvor {

// The first comment line of every netlist the converter writes; it rewrites only files that
// start with a title line and then this.
inline constexpr const char* ConverterMark = "* talvor-spice: convertido de ";

struct NetlistHeader {
    std::string title;
    std::string deckName;
    std::vector<std::string> warnings;
    std::string acLine; // ".AC DEC 10 1 1e+06", or empty
    int variableCount = 0;
};

std::string WriteNetlist(const ConvertedCircuit& circuit, const TalvorNames& names,
                         const NetlistHeader& header);

// The netlist's words for a value: the shortest text that reads back to the same double, in the
// plain decimal form Talvor's reader takes.
std::string TalvorNumber(double value);

} // namespace talvor
