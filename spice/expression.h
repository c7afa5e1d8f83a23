// Arithmetic expressions of .param lines and {braces}, as ngspice reads them: numbers with scale
// suffixes, parameters, + - * / % and ** ^ (left to right, on the base's absolute value), unary
// signs, comparisons, && || !, the ?: choice, ngspice's functions and those of .func lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "spice/spice_text.h"

namespace talvor {

// A function of a .func line: f(x, y) = body, evaluated where it is called.
struct UserFunction {
    std::vector<std::string> parameters; // lower case
    std::string body;
};

// The parameters and functions an expression may read, by lower-case name, and where its
// warnings go.
class ParameterScope {
public:
    virtual ~ParameterScope() = default;
    virtual std::optional<double> Find(const std::string& lowerName) const = 0;
    virtual const UserFunction* FindFunction(const std::string&) const { return nullptr; }
    // nullptr: the warnings are dropped.
    virtual Warnings* WarningSink() const { return nullptr; }
};

// Nesting deeper than this many levels of the reader (each parenthesis, brace, call, sign or ?:
// takes one or two, a call of a .func its body's) is refused: a hostile deck must not exhaust
// the stack.
inline constexpr int MaxExpressionDepth = 200;

// The value of the expression; refuses (at line) a syntax error, an unknown parameter or
// function, a division by zero, or a result that is infinite or undefined. Warns where ngspice
// would give another number: a random function (its nominal value is taken), a negative base
// of a power.
double EvaluateExpression(std::string_view text, const ParameterScope& scope, Origin line);

} // namespace talvor
