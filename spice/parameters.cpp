// Parameter scopes, .param lines and the values of number words and expressions.
#include "spice/parameters.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "spice/spice_text.h"

namespace talvor {

std::optional<double> Scope::Find(const std::string& lowerName) const
{
    for (const Scope* scope = this; scope != nullptr; scope = scope->parent_) {
        auto found = scope->values_.find(lowerName);
        if (found != scope->values_.end())
            return found->second;
    }
    return std::nullopt;
}

const UserFunction* Scope::FindFunction(const std::string& lowerName) const
{
    for (const Scope* scope = this; scope != nullptr; scope = scope->parent_) {
        auto found = scope->functions_.find(lowerName);
        if (found != scope->functions_.end())
            return &found->second;
    }
    return nullptr;
}

Warnings* Scope::WarningSink() const
{
    const Scope* scope = this;
    while (scope->parent_ != nullptr)
        scope = scope->parent_;
    return scope->warnings_;
}

double ValueOf(const Token& token, const ParameterScope& scope, Origin line)
{
    switch (token.kind) {
    case TokenKind::Expression:
        return EvaluateExpression(token.text, scope, line);
    case TokenKind::Word:
        if (std::optional<double> value = ParseSpiceNumber(token.text)) {
            if (!std::isfinite(*value))
                Refuse(line, Format("número fora do alcance: %s", Shown(token.text).c_str()));
            return *value;
        }
        break;
    default:
        break;
    }
    Refuse(line, Format("esperava um número em vez de '%s'", Shown(token.text).c_str()));
}

namespace {

bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

struct Assignment {
    size_t nameStart, nameEnd, valueStart;
};

// Where the assignments "name =" of a .param line start: a name at the start or after a blank
// or comma, outside braces and parentheses, followed by "=" that is not "==".
std::vector<Assignment> FindAssignments(const std::string& text, size_t from)
{
    std::vector<Assignment> found;
    int depth = 0;
    for (size_t i = from; i < text.size(); ++i) {
        char c = text[i];
        if (c == '{' || c == '(')
            ++depth;
        else if (c == '}' || c == ')')
            --depth;
        if (depth != 0 || !IsNameStart(c) ||
            (i > from && !IsBlank(text[i - 1]) && text[i - 1] != ','))
            continue;
        size_t end = i;
        while (end < text.size() && IsNameChar(text[end]))
            ++end;
        size_t equals = end;
        while (equals < text.size() && IsBlank(text[equals]))
            ++equals;
        if (equals < text.size() && text[equals] == '=' &&
            (equals + 1 >= text.size() || text[equals + 1] != '=')) {
            found.push_back({i, end, equals + 1});
            i = equals;
        } else {
            i = end - 1;
        }
    }
    return found;
}

// Whether text[start, end) is one group in braces: "{a+b}", not "{a}+{b}".
bool OneBracedGroup(const std::string& text, size_t start, size_t end)
{
    if (end - start < 2 || text[start] != '{' || text[end - 1] != '}')
        return false;
    int depth = 0;
    for (size_t i = start; i < end - 1; ++i) {
        depth += text[i] == '{' ? 1 : text[i] == '}' ? -1 : 0;
        if (depth == 0)
            return false;
    }
    return true;
}

// The expression text between two assignments, without blanks, trailing commas, or the quotes
// or braces around it.
std::string ExpressionText(const std::string& text, size_t start, size_t end)
{
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && (IsBlank(text[end - 1]) || text[end - 1] == ','))
        --end;
    if ((end - start >= 2 && text[start] == '\'' && text[end - 1] == '\'') ||
        OneBracedGroup(text, start, end)) {
        ++start;
        --end;
    }
    return text.substr(start, end - start);
}

} // namespace

void ReadParameterLine(const DeckLine& line, Scope& scope)
{
    const std::string& text = line.text;
    size_t from = 0;
    while (from < text.size() && !IsBlank(text[from]))
        ++from; // past ".param"
    std::vector<Assignment> assignments = FindAssignments(text, from);
    if (assignments.empty() || text.find_first_not_of(" \t", from) != assignments[0].nameStart)
        Refuse(line.origin, ".param sem nome=valor");
    for (size_t k = 0; k < assignments.size(); ++k) {
        const Assignment& a = assignments[k];
        size_t end = k + 1 < assignments.size() ? assignments[k + 1].nameStart : text.size();
        std::string expression = ExpressionText(text, a.valueStart, end);
        std::string name = Lower(text.substr(a.nameStart, a.nameEnd - a.nameStart));
        if (expression.empty())
            Refuse(line.origin, Format(".param %s sem valor", Shown(name).c_str()));
        scope.Set(name, EvaluateExpression(expression, scope, line.origin));
    }
}

void ReadFunctionLine(const DeckLine& line, Scope& scope)
{
    const std::string& text = line.text;
    size_t at = 0;
    while (at < text.size() && !IsBlank(text[at]))
        ++at; // past ".func"
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    const size_t nameStart = at;
    while (at < text.size() && IsNameChar(text[at]))
        ++at;
    const std::string name = Lower(text.substr(nameStart, at - nameStart));
    const size_t open = text.find_first_not_of(" \t", at);
    const size_t close = open == std::string::npos ? open : text.find(')', open);
    if (name.empty() || !IsNameStart(name[0]) || open == std::string::npos || text[open] != '(' ||
        close == std::string::npos)
        Refuse(line.origin, ".func deve ser .func nome(argumentos) {expressão}");
    UserFunction function;
    for (size_t from = open + 1; from < close;) {
        size_t comma = std::min(text.find(',', from), close);
        std::string parameter = ExpressionText(text, from, comma);
        bool valid = !parameter.empty() && IsNameStart(parameter[0]);
        for (char c : parameter)
            valid = valid && IsNameChar(c);
        if (!valid)
            Refuse(line.origin, Format(".func %s: argumento inválido '%s'", Shown(name).c_str(),
                                       Shown(parameter).c_str()));
        function.parameters.push_back(Lower(parameter));
        from = comma + 1;
    }
    size_t body = text.find_first_not_of(" \t", close + 1);
    if (body != std::string::npos && text[body] == '=')
        ++body;
    function.body = body == std::string::npos ? "" : ExpressionText(text, body, text.size());
    if (function.body.empty())
        Refuse(line.origin, Format(".func %s sem expressão", Shown(name).c_str()));
    scope.Define(name, std::move(function));
}

} // namespace talvor
