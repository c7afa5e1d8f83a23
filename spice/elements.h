// The elements of a flattened deck mapped onto Talvor's: passive elements, sources, controlled
// sources and lines here, diodes and transistors in devices.h; then the links between elements
// (sensing sources of F and H, inductors of K).
#pragma once

#include "spice/converted_circuit.h"
#include "spice/flatten.h"

namespace talvor {

class Warnings;

class ElementMapper : public ElementSink {
public:
    ElementMapper(ConvertedCircuit& circuit, const Temperatures& temperatures, Warnings& warnings)
        : circuit_(circuit), temperatures_(temperatures), warnings_(warnings)
    {}
    void Element(const Place& place, const std::vector<Token>& tokens) override;

private:
    ConvertedCircuit& circuit_;
    const Temperatures& temperatures_;
    Warnings& warnings_;
};

// Once every element is mapped: refuses repeated names; K must couple two inductors and moves
// to the end (Talvor reads K after its inductors); each F and H takes the input branch of its
// sensing source: a source of 0 V disappears and its current is the F's or H's own, a source
// with a value stays in series with the input branches through a new node.
void LinkControls(ConvertedCircuit& circuit);

} // namespace talvor
