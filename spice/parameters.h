// Parameters of the deck: the scopes that hold them (the main circuit's .param lines, then each
// subcircuit instance's), the reading of .param lines and the value of a number or {brace}.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "spice/deck_lexer.h"
#include "spice/expression.h"

namespace talvor {

// Parameters and .func functions by lower-case name; a name not found here is looked up in the
// parent. The warnings go where the outermost scope's go.
class Scope : public ParameterScope {
public:
    explicit Scope(const Scope* parent = nullptr) : parent_(parent) {}
    std::optional<double> Find(const std::string& lowerName) const override;
    const UserFunction* FindFunction(const std::string& lowerName) const override;
    Warnings* WarningSink() const override;
    void Set(const std::string& lowerName, double value) { values_[lowerName] = value; }
    void Define(const std::string& lowerName, UserFunction function)
    {
        functions_[lowerName] = std::move(function);
    }
    void SetWarningSink(Warnings* warnings) { warnings_ = warnings; }

private:
    const Scope* parent_;
    std::map<std::string, double> values_;
    std::map<std::string, UserFunction> functions_;
    Warnings* warnings_ = nullptr;
};

// The value of a number word or a {brace} expression; refuses a word that is not a number and an
// infinite number.
double ValueOf(const Token& token, const ParameterScope& scope, Origin line);

// Evaluates the assignments of a .param line in order into scope. The expressions need no
// braces: ".param c = 2*a d={a+1}" sets c and d.
void ReadParameterLine(const DeckLine& line, Scope& scope);

// Defines the function of a .func line in scope: ".func f(x, y) {x*y}", with or without "="
// before the body and with the body in braces, in quotes or bare.
void ReadFunctionLine(const DeckLine& line, Scope& scope);

} // namespace talvor
