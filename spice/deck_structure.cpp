// The deck's lines sorted into the main circuit, subcircuit definitions and commands.
#include "spice/deck_structure.h"

#include <cstring>

#include "spice/spice_text.h"

namespace talvor {

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsWord(const std::vector<Token>& tokens, size_t k)
{
    return k < tokens.size() && tokens[k].kind == TokenKind::Word;
}

// Commands of analyses and outputs: the converter keeps only the circuit and the .ac sweep.
bool IsSkippedCommand(const std::string& command)
{
    static const char* const Skipped[] = {
        ".op",   ".tran",  ".dc",      ".noise",   ".tf",      ".sens",    ".disto",
        ".pz",   ".four",  ".fourier", ".meas",    ".measure", ".save",    ".print",
        ".plot", ".probe", ".width",   ".nodeset", ".ic",      ".csparam", ".sp",
    };
    for (const char* skipped : Skipped)
        if (command == skipped)
            return true;
    return false;
}

class StructureReader {
public:
    StructureReader(DeckStructure& deck, Warnings& warnings) : deck_(deck), warnings_(warnings)
    {
        open_.push_back(&deck_.main);
    }

    void Read(const DeckLine& line)
    {
        const std::vector<Token>& tokens = line.tokens;
        if (!IsWord(tokens, 0))
            Refuse(line.origin, Format("linha não reconhecida: %s", Shown(line.text).c_str()));
        const std::string& first = tokens[0].text;
        if (first[0] == '.')
            Command(line, Lower(first));
        else if (IsLetter(first[0]))
            open_.back()->elementLines.push_back(&line);
        else
            Refuse(line.origin, Format("linha não reconhecida: %s", Shown(line.text).c_str()));
    }

    void Finish()
    {
        if (open_.size() > 1)
            Refuse(open_.back()->line,
                   Format(".subckt %s sem .ends", Shown(open_.back()->name).c_str()));
    }

private:
    void Command(const DeckLine& line, const std::string& command)
    {
        const Origin n = line.origin;
        if (command == ".subckt") {
            Subcircuit(line);
        } else if (command == ".ends") {
            if (open_.size() == 1)
                Refuse(n, ".ends sem .subckt");
            open_.pop_back();
        } else if (command == ".model") {
            Model(line);
        } else if (command == ".param") {
            open_.back()->parameterLines.push_back(&line);
        } else if (command == ".ac") {
            if (deck_.ac != nullptr)
                warnings_.Add(n, Format("a linha .ac da %s é substituída por esta",
                                        LineName(deck_.ac->origin).c_str()));
            deck_.ac = &line;
        } else if (command == ".temp") {
            if (line.tokens.size() < 2 || line.tokens[1].kind == TokenKind::Equals)
                Refuse(n, ".temp sem temperatura");
            deck_.temperature = SettingText{n, line.tokens[1]};
        } else if (command == ".options" || command == ".option" || command == ".opt") {
            Options(line);
        } else if (command == ".global") {
            for (size_t k = 1; k < line.tokens.size(); ++k)
                if (line.tokens[k].kind == TokenKind::Word)
                    deck_.globals.insert(Lower(line.tokens[k].text));
        } else if (command == ".title") {
            size_t start = line.text.find_first_of(" \t");
            deck_.title = start == std::string::npos ? "" : line.text.substr(start + 1);
        } else if (command == ".if" || command == ".elseif" || command == ".else" ||
                   command == ".endif") {
            Refuse(n, Format("%s não é convertido: escreva o deck sem condições", command.c_str()));
        } else if (command == ".func") {
            open_.back()->functionLines.push_back(&line);
        } else if (IsSkippedCommand(command)) {
            warnings_.Add(n, Format("%s ignorado: o Talvor faz o ponto de operação e a "
                                    "análise AC",
                                    command.c_str()));
        } else {
            warnings_.Add(n, Format("comando %s desconhecido, ignorado", Shown(command).c_str()));
        }
    }

    void Subcircuit(const DeckLine& line)
    {
        const std::vector<Token>& tokens = line.tokens;
        if (!IsWord(tokens, 1))
            Refuse(line.origin, ".subckt sem nome");
        auto block = std::make_unique<Block>();
        block->name = tokens[1].text;
        block->line = line.origin;
        block->parent = open_.back();
        size_t k = 2;
        for (; k < tokens.size() && !StartsAssignments(tokens, k); ++k) {
            if (tokens[k].kind != TokenKind::Word)
                Refuse(line.origin,
                       Format(".subckt %s: porta inválida '%s'", Shown(block->name).c_str(),
                              Shown(tokens[k].text).c_str()));
            block->ports.push_back(tokens[k].text);
        }
        block->defaults = ParameterAssignments(tokens, k, line.origin);
        Block* inner = block.get();
        auto [where, added] =
            open_.back()->subcircuits.emplace(Lower(block->name), std::move(block));
        if (!added)
            Refuse(line.origin,
                   Format("subcircuito %s repetido (já definido na %s)", Shown(inner->name).c_str(),
                          LineName(where->second->line).c_str()));
        open_.push_back(inner);
    }

    void Model(const DeckLine& line)
    {
        const std::vector<Token>& tokens = line.tokens;
        if (!IsWord(tokens, 1) || !IsWord(tokens, 2))
            Refuse(line.origin, ".model sem nome ou sem tipo");
        ModelCard card;
        card.line = line.origin;
        card.name = tokens[1].text;
        card.type = Lower(tokens[2].text);
        for (size_t k = 3; k < tokens.size(); ++k)
            if (tokens[k].kind != TokenKind::Open && tokens[k].kind != TokenKind::Close &&
                tokens[k].kind != TokenKind::Comma)
                card.parameters.push_back(tokens[k]);
        std::map<std::string, ModelCard>& models = open_.back()->models;
        auto [where, added] = models.emplace(Lower(card.name), card);
        if (!added)
            Refuse(line.origin,
                   Format("modelo %s repetido (já definido na %s)", Shown(card.name).c_str(),
                          LineName(where->second.line).c_str()));
    }

    // name=value options and bare flags; only the temperatures matter to the conversion.
    void Options(const DeckLine& line)
    {
        const std::vector<Token>& tokens = line.tokens;
        for (size_t k = 1; k < tokens.size(); ++k) {
            if (tokens[k].kind != TokenKind::Word)
                continue;
            const std::string name = Lower(tokens[k].text);
            const bool valued = k + 2 < tokens.size() && tokens[k + 1].kind == TokenKind::Equals;
            if (valued && (name == "temp" || name == "tnom")) {
                SettingText setting{line.origin, tokens[k + 2]};
                (name == "temp" ? deck_.temperature : deck_.nominalTemperature) = setting;
            } else {
                warnings_.Add(line.origin, Format("opção %s ignorada", Shown(name).c_str()));
            }
            if (valued)
                k += 2;
        }
    }

    DeckStructure& deck_;
    Warnings& warnings_;
    std::vector<Block*> open_; // the main block, then the open .subckt definitions
};

} // namespace

bool StartsAssignments(const std::vector<Token>& tokens, size_t k)
{
    if (!IsWord(tokens, k))
        return false;
    return Lower(tokens[k].text) == "params:" ||
           (k + 1 < tokens.size() && tokens[k + 1].kind == TokenKind::Equals);
}

std::vector<ParameterText> ParameterAssignments(const std::vector<Token>& tokens, size_t from,
                                                Origin line)
{
    std::vector<ParameterText> assignments;
    for (size_t k = from; k < tokens.size();) {
        if (IsWord(tokens, k) && Lower(tokens[k].text) == "params:") {
            ++k;
            continue;
        }
        if (tokens[k].kind == TokenKind::Comma) {
            ++k;
            continue;
        }
        const bool valueFollows =
            k + 2 < tokens.size() && tokens[k + 1].kind == TokenKind::Equals &&
            (tokens[k + 2].kind == TokenKind::Word || tokens[k + 2].kind == TokenKind::Expression);
        if (!IsWord(tokens, k) || !valueFollows)
            Refuse(line, Format("esperava nome=valor em '%s'", Shown(tokens[k].text).c_str()));
        assignments.push_back({Lower(tokens[k].text), tokens[k + 2]});
        k += 3;
    }
    return assignments;
}

DeckStructure ParseDeckStructure(const DeckText& deck, Warnings& warnings)
{
    DeckStructure structure;
    structure.title = deck.title;
    StructureReader reader(structure, warnings);
    for (const DeckLine& line : deck.lines)
        reader.Read(line);
    reader.Finish();
    return structure;
}

} // namespace talvor
