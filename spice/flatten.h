// Subcircuit flattening: walks the main circuit and every X instance below it, evaluates the
// parameters of each instance and hands every element line, with its braces evaluated, to a
// sink together with its place: the instance that gives its nodes, names and models.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "spice/deck_structure.h"
#include "spice/parameters.h"

namespace talvor {

// Bounds on what a deck may unfold into, so that no deck can exhaust memory or time.
inline constexpr int MaxNesting = 50;
inline constexpr long MaxFlatElements = 10000;
inline constexpr long MaxInstances = 10000;

struct Instance;

// Where an element line stands: its deck line inside one instance of a block.
class Place {
public:
    Place(const Instance& instance, Origin line) : instance_(instance), line_(line) {}

    Origin Line() const { return line_; }
    // "" in the main circuit, else the instance names from the top, as "X1.X2".
    const std::string& Path() const;
    // The flattened name of a node word: "0" for ground (0, gnd), the outer node for a port,
    // the word itself for the main circuit and .global nodes, else "X1.X2.word".
    std::string Node(const std::string& word) const;
    // The flattened name of an element of this instance: "R.X1.X2.R2" for R2, as ngspice names
    // it; the name itself in the main circuit.
    std::string ElementName(const std::string& word) const;
    // The .model card of that name seen from here (inner definitions first), nullptr if none.
    const ModelCard* FindModel(const std::string& name) const;
    const ParameterScope& Parameters() const;

private:
    const Instance& instance_;
    Origin line_;
};

class ElementSink {
public:
    virtual ~ElementSink() = default;
    // One element line (not X): tokens[0] is its name. Its expressions are evaluated where they
    // are read as numbers, with the place's parameters.
    virtual void Element(const Place& place, const std::vector<Token>& tokens) = 0;
};

// Expands the deck into the sink, element lines in deck order and each instance's lines where
// its X line stands. mainScope holds the main circuit's parameters (read by the caller). Refuses
// unknown or recursive subcircuits, wrong node counts, unknown parameters and the bounds above.
void FlattenDeck(const DeckStructure& deck, const Scope& mainScope, ElementSink& sink);

// The main circuit's functions and parameters: its .func lines, then its .param lines evaluated
// in order; the expressions' warnings go to warnings.
Scope MainParameters(const DeckStructure& deck, Warnings& warnings);

} // namespace talvor
