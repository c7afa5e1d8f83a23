// The words the diagnosis uses for the circuit's nodes, elements, branches and values.
#include "analysis/diagnosis/circuit_words.h"

#include <cstdio>

#include "analysis/analysis_settings.h"
#include "analysis/devices.h"
#include "analysis/diagnosis/device_regions.h"
#include "analysis/piecewise_linear.h"
#include "common/c_text.h"
#include "netlist/element_types.h"

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
    const ElementType* type = FindElementType(e.Type());
    return type != nullptr ? type->nodes : 0;
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
        const ElementType* type = FindElementType(e.Type());
        if (type == nullptr)
            continue;
        const int numbers[] = {e.x, e.y};
        for (int c = 0; c < type->CurrentCount(); ++c)
            if (numbers[c] == unknown)
                return {k, type->currents[c].inputBranch};
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
        return name + " (curto em DC " + G0ZeroWords + ")";
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

std::string UnknownsWords(const Circuit& circuit, const IndexSet& unknowns)
{
    std::vector<std::string> nodes, currents;
    for (int k = 1; k <= circuit.variableCount; ++k)
        if (unknowns[k])
            (k <= circuit.nodeCount ? nodes : currents).push_back(NodeName(circuit, k));
    std::vector<std::string> parts;
    if (!nodes.empty())
        parts.push_back((nodes.size() == 1 ? "a tensão do nó " : "as tensões dos nós ") +
                        JoinWords(nodes));
    if (!currents.empty())
        parts.push_back((currents.size() == 1 ? "a corrente " : "as correntes ") +
                        JoinWords(currents));
    return JoinWords(parts);
}

// What an element that reaches outside a set of nodes does there, when it carries no current
// across: "C1 (capacitor, aberto em f=0)", "O1 (entrada)".
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
        role = OpenAtDc(point, op.g0)   ? std::string("capacitor, aberto em DC ") + G0ZeroWords
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
        if (inside(e.b) && !inside(e.a) && !inside(e.c) && !inside(e.d))
            role = "porta";
        break;
    default:
        break;
    }
    // A device's region at the iterate, where its companion model decides what it carries.
    if (role.empty() && IsDevice(e.Type()) && !point.ac)
        role = RegionWords(e, DeviceRegion(e, op));
    return role.empty() ? ElementName(e) : ElementName(e) + " (" + role + ")";
}

// A device names the stored values of its model; any other element the values that size it.
std::string ValueWords(const Element& e)
{
    std::string values;
    auto add = [&](const char* name, double value) {
        values += (values.empty() ? "" : " ") + std::string(name) + "=" + Number(value);
    };
    if (const DeviceModel* model = DeviceModelFor(e.Type())) {
        for (const NamedSlot& slot : model->weighing)
            if (slot.name != nullptr)
                add(slot.name, e.values[slot.slot]);
    } else if (const ElementType* type = FindElementType(e.Type())) {
        for (int k = 0; k < type->SlotCount(); ++k)
            if (type->slots[k].role == SlotRole::Size)
                add(type->slots[k].name, e.values[k]);
    }
    return values.empty() ? ElementName(e) : ElementName(e) + " (" + values + ")";
}

namespace {

// What a reciprocal becomes when its divisor is exactly 0, or merely too small.
const char* Beyond(double divisor, bool feminine)
{
    if (divisor != 0)
        return "passa do maior número representável";
    return feminine ? "fica infinita" : "fica infinito";
}

// "em DC" or "em f=0": where a conductance of 1/Eg0 stands for a short.
std::string WhereShorted(const SystemPoint& point) { return point.ac ? "em f=0" : "em DC"; }

// The operating point's conductance in the user's words, at 0 or merely small.
std::string G0Words(double g0)
{
    return g0 == 0 ? std::string(G0ZeroWords)
                   : "com a condutância do P. O. (Eg0, --g0) igual a " + Number(g0);
}

// A device parameter of 0 that its model divides by, or two points of a piecewise-linear
// resistor at one voltage; empty when there is none.
std::string DeviceFaultWords(const Element& e)
{
    const std::string name = ElementName(e);
    if (const DeviceModel* model = DeviceModelFor(e.Type()))
        for (const NamedSlot& divisor : model->divisors)
            if (divisor.name != nullptr && e.values[divisor.slot] == 0)
                return name + " tem " + divisor.name + " = 0: o modelo divide por " + divisor.name +
                       ".";
    if (e.Type() == 'N')
        for (int point = 0; point < 3; ++point) {
            const double v = e.values[PwlSlot::FirstPoint + 2 * point];
            if (v == e.values[PwlSlot::FirstPoint + 2 * point + 2])
                return name + " tem dois pontos seguidos na tensão " + Number(v) +
                       ": a inclinação do trecho entre eles fica infinita.";
        }
    return "";
}

} // namespace

std::string StampFaultWords(const Circuit& circuit, const Element& e, const SystemPoint& point,
                            double g0)
{
    const std::string name = ElementName(e);
    const double* v = e.values;
    const bool staticForm = !point.ac || point.omega == 0;
    char text[512];
    switch (e.Type()) {
    case 'R':
        std::snprintf(text, sizeof text, "%s tem resistência %s: a condutância 1/R %s.",
                      name.c_str(), Number(v[0]).c_str(), Beyond(v[0], true));
        return text;
    case 'Y':
        std::snprintf(text, sizeof text, "%s tem resistência de giro %s: a condutância 1/Rg %s.",
                      name.c_str(), Number(v[0]).c_str(), Beyond(v[0], true));
        return text;
    case 'X':
        if (staticForm)
            std::snprintf(text, sizeof text, "%s é um curto %s: a condutância 1/Eg0 %s %s.",
                          name.c_str(), WhereShorted(point).c_str(), Beyond(g0, true),
                          G0Words(g0).c_str());
        else
            std::snprintf(text, sizeof text,
                          "%s tem indutância %s: a admitância 1/(jωL) %s em f=%s.", name.c_str(),
                          Number(v[0]).c_str(), Beyond(v[0], true), Number(point.f).c_str());
        return text;
    case 'T':
        if (!point.ac)
            std::snprintf(text, sizeof text,
                          "%s liga os nós %s e %s em DC: a condutância 1/Eg0 %s %s.", name.c_str(),
                          NodeName(circuit, e.a).c_str(), NodeName(circuit, e.c).c_str(),
                          Beyond(g0, true), G0Words(g0).c_str());
        else if (v[0] == 0 || v[1] == 0)
            std::snprintf(text, sizeof text,
                          "%s tem %s 0: as admitâncias 1/(Z0 sen ωτ) da linha ficam infinitas.",
                          name.c_str(), v[0] == 0 ? "Z0 =" : "atraso");
        else
            std::snprintf(text, sizeof text,
                          "%s tem Z0 = %s: em f=%s as admitâncias 1/(Z0 sen ωτ) da linha passam "
                          "do maior número representável.",
                          name.c_str(), Number(v[0]).c_str(), Number(point.f).c_str());
        return text;
    case 'A':
        if (v[1] == 0 && !point.ac)
            std::snprintf(text, sizeof text,
                          "%s tem polo 0: o ganho DC −GB/P vira −1/Eg0, que %s %s.", name.c_str(),
                          Beyond(g0, false), G0Words(g0).c_str());
        else if (v[1] == 0 && staticForm)
            std::snprintf(text, sizeof text,
                          "%s tem polo 0: em f=0 o ganho GB/(P + jω) fica infinito.", name.c_str());
        else
            break;
        return text;
    default:
        break;
    }
    const std::string device = DeviceFaultWords(e);
    if (!device.empty())
        return device;
    const std::string values = ValueWords(e);
    return "A estampa de " + name + " dá valores que não são números finitos" +
           (values == name ? "" : ": " + values) + ".";
}

} // namespace talvor
