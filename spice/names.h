// Talvor's names: element and node names of at most 10 characters, an element's starting with
// its type letter. Deck names that fit are kept; longer ones, and the nodes the converter adds,
// get short unique names ("Rload~1"), listed for the netlist's comment block.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "spice/converted_circuit.h"

namespace talvor {

inline constexpr size_t TalvorNameLength = 10;

struct TalvorNames {
    std::map<std::string, std::string> elements; // lower-case deck name → Talvor name
    std::map<std::string, std::string> nodes;    // lower-case deck node → Talvor name
    std::vector<std::pair<std::string, std::string>> renamed; // Talvor name, deck name
    int nodeCount = 0;                                        // without ground

    const std::string& Element(const std::string& deckName) const;
    const std::string& Node(const std::string& deckNode) const;
};

// The names of every element and node of the circuit (nodes in order of first use).
TalvorNames AssignNames(const ConvertedCircuit& circuit);

// The nodes the converter adds in series with a sensing source, between it and the input
// branches of the F and H elements that sense it: the k-th of the source. Deck nodes never look
// like these (deck words hold no parentheses).
std::string SyntheticNode(const std::string& source, int k);
bool IsSyntheticNode(const std::string& node);
// The sensing source a synthetic node belongs to.
std::string SyntheticNodeSource(const std::string& node);

// A node the converter adds inside an element, named by a letter: "b" for a transistor's base
// behind its RB. Its Talvor name is the element's own with "#b" ("Q1#b") where that fits.
std::string InternalNode(const std::string& element, char tag);
// An element the converter adds, of a type, for what it names (an element or a node): the
// resistor 'R' of "Q1#b" is "RQ1#b" in the netlist where that fits.
std::string AddedElement(char type, const std::string& forWhat);

} // namespace talvor
