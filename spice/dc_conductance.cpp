// Nodes held at DC only through capacitors, MOS gates and large resistances.
#include "spice/dc_conductance.h"

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "spice/spice_text.h"

namespace talvor {

namespace {

constexpr double DefaultG0 = 1e-9;
// Shifts below this share of the voltage across the bridged branches are not warned about.
constexpr double NegligibleShare = 1e-3;
// The share the suggested --g0 leaves: below the table's six digits.
constexpr double MatchingShare = 1e-6;

struct NodeAtDc {
    std::string name;       // as the deck writes it
    Origin line;            // of the first element that touches it
    bool held = false;      // a source, inductor, junction, line or MOS channel touches it
    double conductance = 0; // of the resistors that touch it, S
    int bridges = 0;        // capacitor ends and MOS gate branches that g0 bridges
    bool bulk = false;      // a MOS bulk: ngspice's bulk junctions hold it, Talvor has none
};

class Nodes {
public:
    NodeAtDc& operator()(const TalvorElement& e, size_t k)
    {
        NodeAtDc& node = nodes_[Lower(e.nodes[k])];
        if (node.name.empty()) {
            node.name = e.nodes[k];
            node.line = e.line;
            order_.push_back(Lower(e.nodes[k]));
        }
        return node;
    }
    std::vector<const NodeAtDc*> InOrder() const
    {
        std::vector<const NodeAtDc*> nodes;
        for (const std::string& key : order_)
            if (key != "0")
                nodes.push_back(&nodes_.at(key));
        return nodes;
    }

private:
    std::map<std::string, NodeAtDc> nodes_;
    std::vector<std::string> order_;
};

// What each terminal of an element is at DC in Talvor's operating point.
void AddElement(const TalvorElement& e, Nodes& nodes)
{
    switch (e.type) {
    case 'R':
        for (size_t k = 0; k < 2; ++k)
            nodes(e, k).conductance += 1 / e.values[0];
        return;
    case 'C':
        for (size_t k = 0; k < 2; ++k)
            nodes(e, k).bridges += 1;
        return;
    case 'M': // drain, gate, source, bulk: g0 from the gate to the other three
        nodes(e, 0).held = nodes(e, 2).held = true;
        nodes(e, 1).bridges += 3;
        nodes(e, 3).bridges += 1;
        nodes(e, 3).bulk = true;
        return;
    case 'I':
    case 'G': // a current source's ends, a G's controls: no conductance
        for (size_t k = 0; k < e.nodes.size(); ++k)
            nodes(e, k);
        return;
    case 'E': // output held, controls without current
        nodes(e, 0).held = nodes(e, 1).held = true;
        nodes(e, 2);
        nodes(e, 3);
        return;
    case 'F': // a current output, its input branch a short
        nodes(e, 0);
        nodes(e, 1);
        nodes(e, 2).held = nodes(e, 3).held = true;
        return;
    default: // V, L, H, T, D, Q: a path at DC
        for (size_t k = 0; k < e.nodes.size(); ++k)
            nodes(e, k).held = true;
    }
}

// A g0 that leaves the node's shift below the table's digits, never above ngspice's GMIN.
double MatchingG0(const NodeAtDc& node)
{
    const double matching =
        std::pow(10, std::floor(std::log10(MatchingShare * node.conductance / node.bridges)));
    return std::fmin(matching, 1e-12);
}

} // namespace

void WarnAboutDcBridges(const ConvertedCircuit& circuit, Warnings& warnings)
{
    Nodes nodes;
    for (const TalvorElement& e : circuit.elements)
        AddElement(e, nodes);
    for (const NodeAtDc* node : nodes.InOrder()) {
        if (node->held || node->bridges == 0)
            continue;
        const std::string name = Shown(node->name);
        const bool floating = node->conductance == 0;
        if (!floating && node->bridges * DefaultG0 / node->conductance < NegligibleShare)
            continue;
        const std::string resistances =
            floating ? std::string()
                : Format(" e resistências de %s Ω em paralelo",
                         NumberText(NumberInWidth(1 / node->conductance, 6)).c_str());
        if (node->bulk)
            warnings.Add(node->line,
                         Format("nó %s: substrato de MOS ligado em DC só por capacitâncias%s; "
                                "o ngspice o prende ao dreno e à fonte pelas junções do substrato, "
                                "que o Talvor não tem: a tensão do nó (e, com GAMMA, VT) difere da "
                                "do ngspice",
                                name.c_str(), resistances.c_str()));
        else if (floating)
            warnings.Add(node->line,
                         Format("nó %s: em DC só capacitores e portas de MOS o ligam ao circuito; "
                                "o ngspice não acha o ponto de operação (nó flutuante), o Talvor "
                                "tira a tensão do nó do g0 que põe neles",
                                name.c_str()));
        else
            warnings.Add(
                node->line,
                Format("nó %s: em DC só resistências de %s Ω em paralelo o ligam ao circuito, "
                       "além de %d %s de capacitores e portas de MOS; o g0 do Talvor em cada um "
                       "(1e-9 S) muda a sua tensão em cerca de %.2g%% da tensão sobre eles; "
                       "--g0=%g faz como o ngspice",
                       name.c_str(), NumberText(NumberInWidth(1 / node->conductance, 6)).c_str(),
                       node->bridges, node->bridges == 1 ? "ramo" : "ramos",
                       100 * node->bridges * DefaultG0 / node->conductance,
                       MatchingG0(*node)));
    }
}

} // namespace talvor
