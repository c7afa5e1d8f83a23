// Expressions of .param lines and braces: precedence, functions, parameters, the ?: choice, and
// every error that ends a conversion, deep nesting included. The values are ngspice's (39), each
// read from a deck that printed them.
#include <gtest/gtest.h>

#include <string>

#include "spice/expression.h"
#include "spice/parameters.h"
#include "spice/spice_text.h"

using namespace talvor;

namespace {

Scope Parameters()
{
    Scope scope;
    scope.Set("rval", 10e3);
    scope.Set("gain", 4);
    scope.Set("zero", 0);
    scope.Define("twice", {{"x"}, "2*x"});
    scope.Define("hyp", {{"x", "y"}, "sqrt(x**2 + y**2)"});
    scope.Define("scaled", {{"gain"}, "gain*rval"}); // its argument hides the parameter
    scope.Define("forever", {{"x"}, "forever(x)"});
    scope.Define("inverse", {{"x"}, "1/x"});
    return scope;
}

TEST(SpiceExpression, Evaluates)
{
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"1+2*3", 7},
        {"(1+2)*3", 9},
        {"2*3^2", 18},
        {"2**3**2", 64}, // from the left: (2^3)^2
        {"2^3^2", 64},
        {"2**-3**2", 1.0 / 64}, // an exponent's sign binds to it alone: (2^-3)^2
        {"3**-1**2", 1.0 / 9},
        {"-2^2", -4},
        {"-2**-2", -0.25},
        {"2^-1", 0.5},
        {"(-2)^3", 8}, // the base's absolute value
        {"(-8)**(1/3)", 2},
        {"2^3%5", 3},
        {"10/4", 2.5},
        {"8%3*2", 4}, // % is a product, from the left
        {"2*8%3", 1},
        {"-7%3", -1}, // the dividend's sign
        {"7.5%2", 1.5},
        {"3.7%-2", 1.7},
        {"rval*(gain-1)", 30e3},
        {"RVAL/2", 5e3}, // names are case-insensitive
        {"2k*3m", 6},
        {"1meg/1k", 1e3},
        {"{rval}+{1}", 10001},
        {"sqrt(16)+abs(-1)+max(1,2)+min(1,2)+pow(2,3)", 16},
        {"tan(1) + acos(0.5)", 1.5574077246549023 + 1.0471975511965979},
        {"0 || 1", 1},
        {"2 < 2", 0},
        // The branch not taken is not evaluated, as in ngspice (which gives 5 for the first; it
        // expands no .func inside ?: and refuses the second, where Talvor is lenient).
        {"zero != 0 ? 1/zero : 5", 5},
        {"zero != 0 ? inverse(zero) : 5", 5},
        {"ln(1)+log(1)+log10(100)+exp(0)", 3},
        {"int(2.7)+floor(-1.5)+ceil(1.2)+sgn(-3)", 1},
        {"int(-2.7)", -2},
        {"nint(2.5)+nint(3.5)+nint(-2.5)", 4}, // to even
        {"pwr(-2,3)", 8},
        {"pow(-2,3)", -8},
        {"sqr(-3)", 9},
        {"arctan(1)", 0.7853981633974483},
        {"asinh(1)", 0.881373587019543},
        {"acosh(2)", 1.3169578969248166},
        {"atanh(0.5)", 0.5493061443340549},
        {"ternary_fcn(gain > 5, 2, 3)", 3},
        {"ternary_fcn(0.5, 2, 3)", 2},
        {"limit(5, 2)", 5}, // ngspice draws 3 or 7: the nominal value
        {"agauss(1, 0.1, 3) + gauss(1, 0.1, 3) + unif(1, 0.1) + aunif(1, 0.1)", 4},
        {"twice(gain) + hyp(3, 4)", 13},
        {"twice(twice(1))", 4},
        {"scaled(2)", 20e3}, // a body reads the caller's parameters
        {"3 > 2 > 1", 0},
        {"!0+1", 2},
        {"gain > 3 ? 1 : 2", 1},
        {"gain == 4 && rval != 0", 1},
        {"!zero || 0", 1},
        {"zero == 0 ? 0 : 1/zero", 0}, // the branch not taken is not evaluated
        {"zero != 0 ? 1/zero : 7", 7},
        {"  1 +\t2  ", 3},
    };
    const Scope scope = Parameters();
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(EvaluateExpression(c.text, scope, 1), c.value) << c.text;
}

TEST(SpiceExpression, RefusesWithTheLineAndTheReason)
{
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"1/zero", "divisão por zero"},
        {"unknown*2", "parâmetro desconhecido 'unknown'"},
        {"foo(1)", "função desconhecida 'foo'"},
        {"pi", "parâmetro desconhecido 'pi': o ngspice não o conhece"},
        {"max(1,2,3)", "max pede 2 argumentos"}, // ngspice takes the last
        {"sqrt()", "sqrt pede 1 argumento"},
        {"limit(5,0,2)", "limit pede 2 argumentos"},
        {"hyp(1)", "hyp pede 2 argumentos"},
        {"twice(1,2,3,4,5)", "falta ')'"},
        {"7%0", "divisão por zero"},
        {"0^-1", "resultado infinito ou indefinido"},
        {"acosh(0.5)", "resultado infinito ou indefinido"},
        {"atanh(1)", "resultado infinito ou indefinido"},
        {"forever(1)", "aninhamento fundo demais"},
        {"sqrt(-1)", "resultado infinito ou indefinido"},
        {"1e300*1e300", "resultado infinito ou indefinido"},
        {"exp(1000)", "resultado infinito ou indefinido"},
        {"1e999", "resultado infinito ou indefinido"},
        {"(1+2", "falta ')'"},
        {"pow(1)", "pow pede 2 argumentos"},
        {"1+", "termina antes do fim"},
        {"1 2", "'2' inesperado"},
        {"1 + )", "')' inesperado"},
        {"inverse(zero)", "expressão {1/x}: divisão por zero"},
        {"1 ? 2", "falta ':'"},
        {"1..2", "número inválido"},
        {"", "termina antes do fim"},
    };
    const Scope scope = Parameters();
    for (const Case& c : cases) {
        try {
            EvaluateExpression(c.text, scope, 12);
            ADD_FAILURE() << c.text << " was accepted";
        } catch (const Refusal& refusal) {
            EXPECT_EQ(refusal.origin.line, 12) << c.text;
            EXPECT_NE(refusal.reason.find(c.reason), std::string::npos)
                << c.text << ": " << refusal.reason;
        }
    }
}

// Where ngspice's number is not the one a reader of the deck may expect, the expression says so.
TEST(SpiceExpression, WarnsWhereNgspiceSurprises)
{
    struct Case {
        const char* text;
        const char* warning; // "" for none
    };
    const Case cases[] = {
        {"limit(5, 2)", "linha 4: expressão {limit(5, 2)}: limit sorteia um valor em torno de 5 "
                        "(Monte Carlo) no ngspice; o Talvor usa esse valor nominal"},
        {"agauss(1, 0.1, 3)", "agauss sorteia um valor em torno de 1"},
        {"(-2)^2", "linha 4: expressão {(-2)^2}: a base -2 de uma potência é negativa: o ngspice "
                   "(e o Talvor, como ele) eleva o seu valor absoluto, 4"},
        {"zero != 0 ? limit(1, 2) : 3", ""}, // the branch not taken
        {"2^2 + pwr(-2, 2) + 0.5^2 + 0^2", ""},
    };
    for (const Case& c : cases) {
        Warnings warnings;
        Scope scope = Parameters();
        scope.SetWarningSink(&warnings);
        Scope inner(&scope); // warnings go where the outermost scope's go
        EvaluateExpression(c.text, inner, 4);
        const std::vector<std::string> lines = warnings.Lines();
        if (*c.warning == '\0') {
            EXPECT_TRUE(lines.empty()) << c.text << ": " << lines[0];
            continue;
        }
        ASSERT_EQ(lines.size(), 1u) << c.text;
        EXPECT_NE(lines[0].find(c.warning), std::string::npos) << lines[0];
    }
}

TEST(SpiceExpression, DeepNestingIsRefusedNotFollowedToTheEndOfTheStack)
{
    const Scope scope = Parameters();
    for (const std::string& open : {std::string("("), std::string("{"), std::string("-"),
                                    std::string("sqrt("), std::string("1?")}) {
        std::string text;
        for (int k = 0; k < 100000; ++k)
            text += open;
        text += "1";
        try {
            EvaluateExpression(text, scope, 3);
            ADD_FAILURE() << open << " nesting was accepted";
        } catch (const Refusal& refusal) {
            EXPECT_NE(refusal.reason.find("aninhamento fundo demais"), std::string::npos)
                << refusal.reason;
        }
    }
    // Nesting that real decks use is fine.
    EXPECT_EQ(EvaluateExpression("((((((((((1))))))))))", scope, 1), 1);
}

} // namespace
