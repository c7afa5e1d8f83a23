// The words the diagnosis uses for the circuit's nodes, elements, branches and values.
#include "analysis/diagnosis/circuit_words.h"

#include <cstdio>

#include "analysis/bipolar.h"
#include "analysis/diagnosis/device_regions.h"
#include "analysis/diode.h"
#include "analysis/mos.h"
#include "analysis/piecewise_linear.h"
#include "common/c_text.h"

namespace talvor {

std::string NodeName(const Circuit& circuit, int node)
{
    return DisplayText(circuit.nodeTable[node]).c_str();
}

std::string ElementName(const Element& e) { return DisplayText(e.name).c_str(); }

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// "a", "a e b", "a, b e c".
std::string JoinWords(const std::vector<std::string>& words)
{
    std::string text;
    for (size_t k = 0; k < words.size(); ++k) {
        if (k > 0)
            text += k + 1 == words.size() ? " e " : ", ";
        text += words[k];
    }
    return text;
}

std::string NodeList(const Circuit& circuit, const IndexSet& nodes, bool withGround)
{
    std::vector<std::string> names;
    for (int k = 1; k <= circuit.nodeCount; ++k)
        if (nodes[k])
            names.push_back(NodeName(circuit, k));
    if (withGround)
        names.push_back("0");
    return JoinWords(names);
}

// The nodes an element's terminals are on (K names inductors, not nodes).
int Terminals(const Element& e, int nodes[4])
{
    nodes[0] = e.a;
    nodes[1] = e.b;
    nodes[2] = e.c;
    nodes[3] = e.d;
    switch (e.Type()) {
    case 'G':
    case 'E':
    case 'F':
    case 'H':
    case 'O':
    case 'A':
    case 'Y':
    case 'M':
        return 4;
    case 'T':
    case 'Q':
        return 3;
    case 'K':
        return 0;
    default:
        return 2;
    }
}

IndexSet TerminalNodes(const Element& e)
{
    int terminals[4];
    const int count = Terminals(e, terminals);
    IndexSet nodes;
    for (int t = 0; t < count; ++t)
        nodes.set(terminals[t]);
    nodes.reset(0);
    return nodes;
}

bool Touches(const Element& e, const IndexSet& nodes) { return (TerminalNodes(e) & nodes).any(); }

bool ReachesOutside(const Element& e, const IndexSet& nodes)
{
    int terminals[4];
    const int count = Terminals(e, terminals);
    for (int t = 0; t < count; ++t)
        if (terminals[t] == 0 || !nodes[terminals[t]])
            return true;
    return false;
}

Branch OwnerOf(const Circuit& circuit, int unknown)
{
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        switch (e.Type()) {
        case 'L':
        case 'E':
        case 'V':
        case 'O':
        case 'A':
            if (e.x == unknown)
                return {k, false};
            break;
        case 'F':
            if (e.x == unknown)
                return {k, true};
            break;
        case 'H':
            if (e.x == unknown || e.y == unknown)
                return {k, e.y == unknown};
            break;
        default:
            break;
        }
    }
    return {};
}

// Whether a branch's row (or column) is about the terminals of its input: an O's equation holds
// its two inputs equal, while its current leaves the output.
bool IsInputSide(const Element& e, Branch branch, bool row)
{
    return branch.input || (e.Type() == 'O' && row);
}

// The two nodes of a branch: those whose voltage its equation fixes, or its current joins.
void BranchNodes(const Element& e, Branch branch, bool row, int& p, int& q)
{
    const bool input = IsInputSide(e, branch, row);
    p = input ? e.c : e.a;
    q = input ? e.d : e.b;
}

std::string BranchWords(const Element& e, Branch branch, bool row, const SystemPoint& point,
                        double g0)
{
    const std::string name = ElementName(e);
    if (e.Type() == 'O')
        return (row ? "entradas de " : "saída de ") + name;
    if (branch.input)
        return "entrada de " + name;
    if (e.Type() == 'L' && OpenAtDc(point, g0))
        return name + " (curto em DC com Eg0 = 0)";
    if (e.Type() == 'L' && AtZeroFrequency(point))
        return name + " (curto em f=0)";
    return name;
}

std::string UnknownWords(const Circuit& circuit, int unknown)
{
    if (unknown <= circuit.nodeCount)
        return "tensão do nó " + NodeName(circuit, unknown);
    return "corrente " + NodeName(circuit, unknown);
}

// What an element that reaches outside a set of nodes does there, when it carries no current
// across: "C1 (capacitor, aberto em DC com Eg0 = 0)", "O1 (entrada)".
std::string CrossingWords(const Element& e, const IndexSet& nodes, const SystemPoint& point,
                          const OperatingPoint& op)
{
    auto inside = [&](int node) { return node != 0 && nodes[node]; };
    // Whether the output pair (a, b) straddles the set; otherwise the element crosses it from its
    // output to its control or input terminals (c, d).
    const bool outputCrosses = inside(e.a) != inside(e.b);
    std::string role;
    switch (e.Type()) {
    case 'I':
        role = "fonte de corrente";
        break;
    case 'C':
        role = OpenAtDc(point, op.g0)   ? "capacitor, aberto em DC com Eg0 = 0"
               : AtZeroFrequency(point) ? "capacitor, aberto em f=0"
                                        : "capacitor";
        break;
    case 'G':
    case 'F':
        role = outputCrosses ? "fonte de corrente controlada" : "controle";
        break;
    case 'E':
    case 'H':
        role = outputCrosses ? "saída" : "controle";
        break;
    case 'O':
    case 'A':
        role = outputCrosses ? "saída" : "entrada";
        break;
    case 'M':
        if (inside(e.b) && !inside(e.a) && !inside(e.c) && !inside(e.d)) {
            role = "porta";
            break;
        }
        [[fallthrough]];
    case 'D':
    case 'N':
    case 'Q':
        if (!point.ac)
            role = RegionWords(e, DeviceRegion(e, op));
        break;
    default:
        break;
    }
    return role.empty() ? ElementName(e) : ElementName(e) + " (" + role + ")";
}

namespace {

// The values that weigh in an element's stamps, by type, as slot and name.
struct WeighingValue {
    char type;
    int slot;
    const char* name;
};

const WeighingValue WeighingValues[] = {
    {'R', 0, "R"},
    {'C', 0, "C"},
    {'L', 0, "L"},
    {'X', 0, "L"},
    {'G', 0, "G"},
    {'E', 0, "Av"},
    {'F', 0, "B"},
    {'H', 0, "Rm"},
    {'A', 0, "GB"},
    {'A', 1, "P"},
    {'A', 2, "Ro"},
    {'T', 0, "Z0"},
    {'Y', 0, "Rg"},
    {'K', 0, "k"},
    {'D', DiodeSlot::Gd, "Gd"},
    {'N', PwlSlot::Gn, "Gn"},
    {'Q', BipolarSlot::Gbe, "Gbe"},
    {'Q', BipolarSlot::Gbc, "Gbc"},
    {'M', MosSlot::Gm, "Gm"},
    {'M', MosSlot::Gds, "Gds"},
};

} // namespace

std::string ValueWords(const Element& e)
{
    std::string values;
    for (const WeighingValue& value : WeighingValues)
        if (value.type == e.Type())
            values += (values.empty() ? "" : " ") + std::string(value.name) + "=" +
                      Number(e.values[value.slot]);
    return values.empty() ? ElementName(e) : ElementName(e) + " (" + values + ")";
}

} // namespace talvor
