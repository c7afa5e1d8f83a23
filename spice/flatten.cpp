// Subcircuit instances expanded in place, with their nodes, names, models and parameters.
#include "spice/flatten.h"

#include <map>

#include "spice/spice_text.h"

namespace talvor {

struct Instance {
    const Block* block = nullptr;
    const Instance* caller = nullptr;         // nullptr for the main circuit
    std::string path;                         // "X1.X2"
    std::map<std::string, std::string> ports; // lower-case port → outer node
    const std::set<std::string>* globals = nullptr;
    Scope scope;

    explicit Instance(const Scope* parent) : scope(parent) {}
};

const std::string& Place::Path() const { return instance_.path; }

std::string Place::Node(const std::string& word) const
{
    const std::string lower = Lower(word);
    if (lower == "0" || lower == "gnd")
        return "0";
    if (instance_.caller == nullptr || instance_.globals->count(lower) > 0)
        return word;
    auto port = instance_.ports.find(lower);
    if (port != instance_.ports.end())
        return port->second;
    return instance_.path + "." + word;
}

std::string Place::ElementName(const std::string& word) const
{
    if (instance_.caller == nullptr || word.empty())
        return word;
    char letter =
        word[0] >= 'a' && word[0] <= 'z' ? static_cast<char>(word[0] - 'a' + 'A') : word[0];
    return std::string(1, letter) + "." + instance_.path + "." + word;
}

const ModelCard* Place::FindModel(const std::string& name) const
{
    const std::string lower = Lower(name);
    for (const Block* block = instance_.block; block != nullptr; block = block->parent) {
        auto found = block->models.find(lower);
        if (found != block->models.end())
            return &found->second;
    }
    return nullptr;
}

const ParameterScope& Place::Parameters() const { return instance_.scope; }

namespace {

const Block* FindSubcircuit(const Block* from, const std::string& name)
{
    const std::string lower = Lower(name);
    for (const Block* block = from; block != nullptr; block = block->parent) {
        auto found = block->subcircuits.find(lower);
        if (found != block->subcircuits.end())
            return found->second.get();
    }
    return nullptr;
}

class Flattener {
public:
    Flattener(const DeckStructure& deck, ElementSink& sink) : deck_(deck), sink_(sink) {}

    void Expand(const Instance& instance, int depth)
    {
        for (const DeckLine* line : instance.block->elementLines) {
            const char letter = line->tokens[0].text[0];
            if (letter == 'x' || letter == 'X')
                Instantiate(instance, *line, depth);
            else
                AddElement(instance, *line);
        }
    }

private:
    void AddElement(const Instance& instance, const DeckLine& line)
    {
        if (++elements_ > MaxFlatElements)
            Refuse(line.origin, Format("o circuito tem mais de %ld elementos; o Talvor aceita "
                                       "até 200",
                                       MaxFlatElements));
        sink_.Element(Place(instance, line.origin), line.tokens);
    }

    void Instantiate(const Instance& caller, const DeckLine& line, int depth)
    {
        const std::vector<Token>& tokens = line.tokens;
        const std::string& name = tokens[0].text;
        const Origin n = line.origin;
        size_t end = 1;
        while (end < tokens.size() && !StartsAssignments(tokens, end))
            ++end;
        if (end < 2 || tokens[end - 1].kind != TokenKind::Word)
            Refuse(n, Format("%s sem o nome do subcircuito", Shown(name).c_str()));
        const std::string& subcircuitName = tokens[end - 1].text;
        const Block* block = FindSubcircuit(caller.block, subcircuitName);
        if (block == nullptr)
            Refuse(n, Format("%s: subcircuito %s não definido", Shown(name).c_str(),
                             Shown(subcircuitName).c_str()));
        for (const Instance* outer = &caller; outer != nullptr; outer = outer->caller)
            if (outer->block == block)
                Refuse(n, Format("%s: o subcircuito %s contém a si mesmo", Shown(name).c_str(),
                                 Shown(block->name).c_str()));
        if (depth + 1 > MaxNesting)
            Refuse(n, Format("subcircuitos aninhados em mais de %d níveis", MaxNesting));
        if (++instances_ > MaxInstances)
            Refuse(n,
                   Format("o circuito tem mais de %ld instâncias de subcircuitos", MaxInstances));
        const size_t nodeCount = end - 2;
        if (nodeCount != block->ports.size())
            Refuse(n, Format("%s liga %zu nós ao subcircuito %s, que tem %zu portas",
                             Shown(name).c_str(), nodeCount, Shown(block->name).c_str(),
                             block->ports.size()));

        Instance instance(&caller.scope);
        instance.block = block;
        instance.caller = &caller;
        instance.path = caller.path.empty() ? name : caller.path + "." + name;
        instance.globals = &deck_.globals;
        Place callerPlace(caller, n);
        for (size_t k = 0; k < nodeCount; ++k) {
            const Token& node = tokens[1 + k];
            if (node.kind != TokenKind::Word)
                Refuse(n, Format("%s: nó inválido '%s'", Shown(name).c_str(),
                                 Shown(node.text).c_str()));
            instance.ports[Lower(block->ports[k])] = callerPlace.Node(node.text);
        }
        for (const DeckLine* functionLine : block->functionLines)
            ReadFunctionLine(*functionLine, instance.scope);
        BindParameters(instance, ParameterAssignments(tokens, end, n), caller.scope, n);
        for (const DeckLine* parameterLine : block->parameterLines)
            ReadParameterLine(*parameterLine, instance.scope);
        Expand(instance, depth + 1);
    }

    // The subcircuit's parameters: the values given on the X line (evaluated where the X line
    // stands), else the defaults of the .subckt line in order, each seeing the ones before.
    void BindParameters(Instance& instance, const std::vector<ParameterText>& given,
                        const Scope& callerScope, Origin line)
    {
        const Block& block = *instance.block;
        for (const ParameterText& parameter : given) {
            bool known = false;
            for (const ParameterText& formal : block.defaults)
                known = known || formal.name == parameter.name;
            if (!known)
                Refuse(line, Format("o subcircuito %s não tem o parâmetro %s",
                                    Shown(block.name).c_str(), Shown(parameter.name).c_str()));
        }
        for (const ParameterText& formal : block.defaults) {
            const ParameterText* value = &formal;
            const ParameterScope* scope = &instance.scope;
            for (const ParameterText& parameter : given)
                if (parameter.name == formal.name) {
                    value = &parameter;
                    scope = &callerScope;
                }
            instance.scope.Set(formal.name, ValueOf(value->value, *scope, line));
        }
    }

    const DeckStructure& deck_;
    ElementSink& sink_;
    long elements_ = 0;
    long instances_ = 0;
};

} // namespace

Scope MainParameters(const DeckStructure& deck, Warnings& warnings)
{
    Scope scope;
    scope.SetWarningSink(&warnings);
    for (const DeckLine* line : deck.main.functionLines)
        ReadFunctionLine(*line, scope);
    for (const DeckLine* line : deck.main.parameterLines)
        ReadParameterLine(*line, scope);
    return scope;
}

void FlattenDeck(const DeckStructure& deck, const Scope& mainScope, ElementSink& sink)
{
    Instance main(&mainScope);
    main.block = &deck.main;
    main.globals = &deck.globals;
    Flattener(deck, sink).Expand(main, 0);
}

} // namespace talvor
