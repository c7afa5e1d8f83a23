// The deck's lines sorted into blocks: the main circuit and each subcircuit definition, with
// its ports, parameters, .param lines, .model cards, element lines and nested definitions; and
// the commands that matter to the conversion (.ac, .temp, .options, .global).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "spice/deck_lexer.h"

namespace talvor {

class Warnings;

// A .model line, evaluated only where an element uses it (its values may depend on the
// parameters of a subcircuit instance).
struct ModelCard {
    Origin line;
    std::string name;              // as written
    std::string type;              // lower case: d, npn, pnp, nmos, pmos, ...
    std::vector<Token> parameters; // name = value ..., parentheses and commas removed
};

// A parameter with its value as written: a number word or a {brace} expression.
struct ParameterText {
    std::string name; // lower case
    Token value;
};

struct Block {
    std::string name; // as written; empty for the main circuit
    Origin line;      // of the .subckt line
    std::vector<std::string> ports;
    std::vector<ParameterText> defaults;
    std::vector<const DeckLine*> functionLines;  // .func, in deck order
    std::vector<const DeckLine*> parameterLines; // .param, in deck order
    std::vector<const DeckLine*> elementLines;   // elements and X instances, in deck order
    std::map<std::string, ModelCard> models;     // by lower-case name
    std::map<std::string, std::unique_ptr<Block>> subcircuits; // by lower-case name
    const Block* parent = nullptr;                             // where it is defined
};

// A setting written as a number or a {brace} expression, with its line.
struct SettingText {
    Origin line;
    Token value;
};

struct DeckStructure {
    std::string title;
    Block main;
    const DeckLine* ac = nullptr;                  // the last .ac line
    std::optional<SettingText> temperature;        // .temp or .options temp=
    std::optional<SettingText> nominalTemperature; // .options tnom=
    std::set<std::string> globals;                 // lower-case node names of .global
};

// Refuses what cannot be sorted: .subckt without .ends, .ends without .subckt, a repeated
// model or subcircuit name, a line that is neither element nor command, .if. The include lines
// are already expanded (include_files.h).
// Warns about every command that is skipped.
DeckStructure ParseDeckStructure(const DeckText& deck, Warnings& warnings);

// The parameter assignments at tokens[from...] ("params:" words skipped), for .subckt and X
// lines: name = value, where the value is one word or one expression.
std::vector<ParameterText> ParameterAssignments(const std::vector<Token>& tokens, size_t from,
                                                Origin line);

// Whether tokens[k] starts a parameter assignment (a word followed by "=", or "params:").
bool StartsAssignments(const std::vector<Token>& tokens, size_t k);

} // namespace talvor
