// Short unique names for elements and nodes.
#include "spice/names.h"

#include <set>

#include "spice/spice_text.h"

namespace talvor {

const std::string& TalvorNames::Element(const std::string& deckName) const
{
    return elements.at(Lower(deckName));
}

const std::string& TalvorNames::Node(const std::string& deckNode) const
{
    return nodes.at(Lower(deckNode));
}

std::string SyntheticNode(const std::string& source, int k)
{
    return "(" + source + "#" + std::to_string(k) + ")";
}

bool IsSyntheticNode(const std::string& node) { return !node.empty() && node[0] == '('; }

std::string SyntheticNodeSource(const std::string& node)
{
    return node.substr(1, node.rfind('#') - 1);
}

std::string InternalNode(const std::string& element, char tag)
{
    return "(" + element + "#" + std::string(1, tag) + ")";
}

std::string AddedElement(char type, const std::string& forWhat)
{
    const std::string inner =
        IsSyntheticNode(forWhat) ? forWhat.substr(1, forWhat.size() - 2) : forWhat;
    return std::string(1, type) + "(" + inner + ")";
}

namespace {

// Hands out names: first the deck's own where they fit, then short ones for the rest.
class NameMaker {
public:
    void Reserve(const std::string& name) { taken_.insert(Lower(name)); }
    bool Taken(const std::string& name) const { return taken_.count(Lower(name)) > 0; }

    // base cut to leave room for "~n", with the next n of the names that start alike that makes
    // the name unique (counting on per start keeps many long names of one prefix linear).
    std::string Make(const std::string& base)
    {
        for (int& n = next_[Lower(base.substr(0, TalvorNameLength - 2))];;) {
            std::string suffix = std::to_string(++n);
            suffix.insert(suffix.begin(), '~');
            std::string name = base.substr(0, TalvorNameLength - suffix.size()) + suffix;
            if (!Taken(name)) {
                Reserve(name);
                return name;
            }
        }
    }

private:
    std::set<std::string> taken_;
    std::map<std::string, int> next_; // by the base's lower-case start: the last n given
};

// The last part of a flattened name ("Rload" of "R.X1.Rload"), or of the source a synthetic node
// belongs to ("Vs" of "(V.X1.Vs#1)").
std::string OwnPart(const std::string& name)
{
    if (IsSyntheticNode(name))
        return OwnPart(SyntheticNodeSource(name));
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

// Whether the name is one the converter made: an internal node "(Q1#b)" or an added element
// "R(Q1#b)"; deck names hold no parentheses.
bool IsInternalNode(const std::string& node)
{
    const size_t hash = node.rfind('#');
    return IsSyntheticNode(node) && hash + 3 == node.size() && node[hash + 1] >= 'a' &&
           node[hash + 1] <= 'z';
}
bool IsAddedElement(const std::string& name) { return name.size() > 1 && name[1] == '('; }

// What an internal node or added element is called where that fits: "Q1#b", "RQ1#b", "VE1".
std::string PreferredName(const std::string& name)
{
    if (IsAddedElement(name))
        return name.substr(0, 1) + PreferredName(name.substr(1));
    const std::string inner = name.substr(1, name.size() - 2);
    const size_t dot = inner.rfind('.');
    return dot == std::string::npos ? inner : inner.substr(dot + 1);
}

std::string WithTypeLetter(const std::string& name, char type)
{
    std::string named(1, type);
    if (!name.empty())
        named.append(name, 1);
    return named;
}

bool Fits(const std::string& name) { return name.size() <= TalvorNameLength; }

void NameElements(const ConvertedCircuit& circuit, TalvorNames& names)
{
    NameMaker maker;
    for (const TalvorElement& e : circuit.elements)
        if (Fits(e.name))
            maker.Reserve(e.name);
    for (const TalvorElement& e : circuit.elements) {
        std::string name = WithTypeLetter(e.name, e.type);
        if (IsAddedElement(e.name)) {
            name = PreferredName(e.name);
            name = Fits(name) && !maker.Taken(name) ? name : maker.Make(name);
            maker.Reserve(name);
        } else if (!Fits(e.name)) {
            name = maker.Make(WithTypeLetter(OwnPart(e.name), e.type));
            names.renamed.push_back({name, e.name});
        }
        names.elements[Lower(e.name)] = name;
    }
}

void NameNodes(const ConvertedCircuit& circuit, TalvorNames& names)
{
    std::vector<std::string> order; // first spelling of each node, in order of first use
    std::set<std::string> seen{"0"};
    for (const TalvorElement& e : circuit.elements)
        for (const std::string& node : e.nodes)
            if (seen.insert(Lower(node)).second)
                order.push_back(node);
    NameMaker maker;
    maker.Reserve("0");
    for (const std::string& node : order)
        if (Fits(node) && !IsSyntheticNode(node))
            maker.Reserve(node);
    names.nodes.emplace("0", "0");
    for (const std::string& node : order) {
        std::string name = node;
        if (IsInternalNode(node)) {
            name = PreferredName(node);
            name = Fits(name) && !maker.Taken(name) ? name : maker.Make(name);
            maker.Reserve(name);
        } else if (!Fits(node) || IsSyntheticNode(node)) {
            name = maker.Make(OwnPart(node));
            names.renamed.push_back({name, node});
        }
        names.nodes[Lower(node)] = name;
    }
    names.nodeCount = static_cast<int>(order.size());
}

} // namespace

TalvorNames AssignNames(const ConvertedCircuit& circuit)
{
    TalvorNames names;
    NameElements(circuit, names);
    NameNodes(circuit, names);
    return names;
}

} // namespace talvor
