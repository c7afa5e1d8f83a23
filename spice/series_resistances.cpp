// Series resistances through internal nodes, within the limits.
#include "spice/series_resistances.h"

#include <algorithm>
#include <map>

#include "netlist/circuit.h"
#include "spice/names.h"
#include "spice/spice_text.h"

namespace talvor {

namespace {

const char* TerminalWord(char tag)
{
    switch (tag) {
    case 'b':
        return "base";
    case 'c':
        return "coletor";
    case 'e':
        return "emissor";
    case 'a':
        return "anodo";
    case 'd':
        return "dreno";
    default:
        return "fonte";
    }
}

// "RB=100", "RB=100 e RE=2", "RB=100, RC=5 e RE=2".
std::string Listed(const std::vector<const SeriesResistance*>& resistances)
{
    std::string text;
    for (size_t k = 0; k < resistances.size(); ++k) {
        if (k > 0)
            text += k + 1 == resistances.size() ? " e " : ", ";
        text += resistances[k]->parameter + "=" + NumberText(resistances[k]->ohms);
    }
    return text;
}

} // namespace

void PlaceSeriesResistances(ConvertedCircuit& circuit, int unknowns, Warnings& warnings)
{
    const int all = static_cast<int>(circuit.seriesResistances.size());
    const int elements = static_cast<int>(circuit.elements.size());
    int room = std::min(MaxVariables - unknowns, MaxElements - elements);
    std::map<std::string, std::vector<const SeriesResistance*>> placed, left; // by device
    std::vector<std::string> leftOrder;
    for (const SeriesResistance& r : circuit.seriesResistances) {
        if (room-- > 0) {
            placed[Lower(r.device)].push_back(&r);
            continue;
        }
        std::vector<const SeriesResistance*>& ofDevice = left[Lower(r.device)];
        if (ofDevice.empty())
            leftOrder.push_back(r.device);
        ofDevice.push_back(&r);
    }

    std::vector<TalvorElement> withResistors;
    for (TalvorElement& device : circuit.elements) {
        std::vector<TalvorElement> resistors;
        for (const SeriesResistance* r : placed[Lower(device.name)]) {
            const std::string node = InternalNode(device.name, r->tag);
            TalvorElement resistor;
            resistor.type = 'R';
            resistor.name = AddedElement('R', node);
            resistor.nodes = {device.nodes[r->terminal], node};
            resistor.values = {r->ohms};
            resistor.line = device.line;
            device.nodes[r->terminal] = node;
            circuit.added.push_back(
                {node, Format("nó interno de %s (%s, atrás de %s)", device.name.c_str(),
                              TerminalWord(r->tag), r->parameter.c_str())});
            circuit.added.push_back(
                {resistor.name, Format("%s=%s de %s", r->parameter.c_str(),
                                       NumberText(r->ohms).c_str(), device.name.c_str())});
            resistors.push_back(std::move(resistor));
        }
        withResistors.push_back(std::move(device));
        for (TalvorElement& resistor : resistors)
            withResistors.push_back(std::move(resistor));
    }
    circuit.elements = std::move(withResistors);

    for (const std::string& device : leftOrder) {
        const std::vector<const SeriesResistance*>& out = left[Lower(device)];
        std::string over;
        if (unknowns + all > MaxVariables)
            over = Format("%d variáveis, %d além das %d do Talvor", unknowns + all,
                          unknowns + all - MaxVariables, MaxVariables);
        if (elements + all > MaxElements)
            over += Format("%s%d elementos, %d além dos %d do Talvor", over.empty() ? "" : "; ",
                           elements + all, elements + all - MaxElements, MaxElements);
        warnings.Add(out[0]->line,
                     Format("%s: %s %s de fora: com todas as resistências série o circuito teria "
                            "%s",
                            Shown(device).c_str(), Listed(out).c_str(),
                            out.size() == 1 ? "ficou" : "ficaram", over.c_str()));
    }
}

} // namespace talvor
