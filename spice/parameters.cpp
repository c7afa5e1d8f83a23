// Parameter scopes, .param lines and the values of number words and expressions.
#include "spice/parameters.h"

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

double ValueOf(const Token& token, const ParameterScope& scope, int line)
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

// The expression text between two assignments, without blanks, trailing commas or quotes.
std::string ExpressionText(const std::string& text, size_t start, size_t end)
{
    while (start < end && IsBlank(text[start]))
        ++start;
    while (end > start && (IsBlank(text[end - 1]) || text[end - 1] == ','))
        --end;
    if (end - start >= 2 && text[start] == '\'' && text[end - 1] == '\'') {
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
        Refuse(line.number, ".param sem nome=valor");
    for (size_t k = 0; k < assignments.size(); ++k) {
        const Assignment& a = assignments[k];
        size_t end = k + 1 < assignments.size() ? assignments[k + 1].nameStart : text.size();
        std::string expression = ExpressionText(text, a.valueStart, end);
        std::string name = Lower(text.substr(a.nameStart, a.nameEnd - a.nameStart));
        if (expression.empty())
            Refuse(line.number, Format(".param %s sem valor", Shown(name).c_str()));
        scope.Set(name, EvaluateExpression(expression, scope, line.number));
    }
}

} // namespace talvor
