// The netlist text: title, comment block, element lines, .AC.
#include "spice/netlist_writer.h"

#include "common/c_text.h"
#include "spice/spice_text.h"

namespace talvor {

std::string TalvorNumber(double value) { return NumberText(value); }

namespace {

// A text from the deck fit for one netlist line: control characters as spaces, at most
// maxBytes bytes cut at a character boundary.
std::string OneLine(const std::string& text, size_t maxBytes)
{
    std::string line = DisplayText(text).c_str();
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    if (line.size() > maxBytes)
        line.resize(Utf8PrefixLength(line.c_str(), maxBytes));
    return line;
}

constexpr size_t MaxCommentBytes = 300;

void Comment(std::string& out, const std::string& text)
{
    out += "* " + OneLine(text, MaxCommentBytes) + "\n";
}

std::string ElementLine(const TalvorElement& e, const TalvorNames& names)
{
    std::string line = names.Element(e.name);
    if (e.type == 'K') {
        line += " " + names.Element(e.control) + " " + names.Element(e.control2);
    } else {
        for (const std::string& node : e.nodes)
            line += " " + names.Node(node);
    }
    if (!e.kind.empty())
        line += " " + e.kind;
    for (size_t k = 0; k < e.values.size(); ++k) {
        // Talvor's M line names its length and width.
        const char* label = e.type == 'M' && k == 0 ? "L=" : e.type == 'M' && k == 1 ? "W=" : "";
        line += ' ';
        line += label;
        line += TalvorNumber(e.values[k]);
    }
    return line + "\n";
}

std::string RenamedLine(const std::string& talvor, const std::string& deck)
{
    if (IsSyntheticNode(deck))
        return Format("  %s = nó novo entre %s e as entradas dos F e H que ela controla",
                      talvor.c_str(), OneLine(SyntheticNodeSource(deck), 200).c_str());
    return Format("  %s = %s", talvor.c_str(), OneLine(deck, 200).c_str());
}

} // namespace

std::string WriteNetlist(const ConvertedCircuit& circuit, const TalvorNames& names,
                         const NetlistHeader& header)
{
    std::string out = OneLine(header.title, 200) + "\n";
    out += ConverterMark + OneLine(header.deckName, 200) +
           " (esta linha permite ao talvor-spice reescrever o arquivo)\n";
    Comment(out, Format("%zu elementos, %d nós, %d variáveis.", circuit.elements.size(),
                        names.nodeCount, header.variableCount));
    if (!header.warnings.empty()) {
        Comment(out, "Avisos da conversão:");
        for (const std::string& warning : header.warnings)
            Comment(out, "  " + warning);
    }
    if (!circuit.notes.empty()) {
        Comment(out, "Notas:");
        for (const std::string& note : circuit.notes)
            Comment(out, "  " + note);
    }
    if (!names.renamed.empty()) {
        Comment(out, "Nomes novos (Talvor = deck):");
        for (const auto& [talvor, deck] : names.renamed)
            Comment(out, RenamedLine(talvor, deck));
    }
    if (!circuit.added.empty()) {
        Comment(out, "Nós e elementos novos:");
        for (const AddedName& added : circuit.added) {
            auto node = names.nodes.find(Lower(added.name));
            auto element = names.elements.find(Lower(added.name));
            const std::string& name = node != names.nodes.end()         ? node->second
                                      : element != names.elements.end() ? element->second
                                                                        : added.name;
            Comment(out, Format("  %s: %s", name.c_str(), OneLine(added.what, 200).c_str()));
        }
    }
    for (const MovedCurrent& moved : circuit.movedCurrents) {
        const std::string& name = names.Element(moved.element);
        Comment(out, Format("Corrente de %s (0 V) = %s%s: a fonte virou a entrada de %s.",
                            OneLine(moved.source, 200).c_str(), moved.type == 'H' ? "jy" : "j",
                            name.c_str(), name.c_str()));
    }
    for (const TalvorElement& e : circuit.elements)
        out += ElementLine(e, names);
    if (!header.acLine.empty())
        out += header.acLine + "\n";
    return out;
}

} // namespace talvor
