// Arithmetic expressions of .param lines and {braces}: numbers with scale suffixes, parameters,
// + - * / ^ ** with unary signs, comparisons, && || !, the ?: choice and the usual functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talvor {

// The parameters an expression may read, by lower-case name.
class ParameterScope {
public:
    virtual ~ParameterScope() = default;
    virtual std::optional<double> Find(const std::string& lowerName) const = 0;
};

// Nesting deeper than this many levels of the reader (each parenthesis, brace, call, sign or ?:
// takes one or two) is refused: a hostile deck must not exhaust the stack.
inline constexpr int MaxExpressionDepth = 200;

// The value of the expression; refuses (at line) a syntax error, an unknown parameter or
// function, a division by zero, or a result that is infinite or undefined.
double EvaluateExpression(std::string_view text, const ParameterScope& scope, int line);

} // namespace talvor
