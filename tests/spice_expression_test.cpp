// Expressions of .param lines and braces: precedence, functions, parameters, the ?: choice, and
// every error that ends a conversion, deep nesting included.
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
        {"2**3**2", 512}, // right-associative
        {"-2^2", -4},
        {"2^-1", 0.5},
        {"10/4", 2.5},
        {"rval*(gain-1)", 30e3},
        {"RVAL/2", 5e3}, // names are case-insensitive
        {"2k*3m", 6},
        {"1meg/1k", 1e3},
        {"{rval}+{1}", 10001},
        {"sqrt(16)+abs(-1)+max(1,2)+min(1,2)+pow(2,3)", 16},
        {"ln(1)+log(1)+log10(100)+exp(0)", 3},
        {"int(2.7)+floor(-1.5)+ceil(1.2)+sgn(-3)", 1},
        {"gain > 3 ? 1 : 2", 1},
        {"gain == 4 && rval != 0", 1},
        {"!zero || 0", 1},
        {"zero == 0 ? 0 : 1/zero", 0}, // the branch not taken is not evaluated
        {"zero != 0 ? 1/zero : 7", 7},
        {"pi", 3.141592653589793},
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
        {"sqrt(-1)", "resultado infinito ou indefinido"},
        {"1e300*1e300", "resultado infinito ou indefinido"},
        {"exp(1000)", "resultado infinito ou indefinido"},
        {"1e999", "resultado infinito ou indefinido"},
        {"(1+2", "falta ')'"},
        {"pow(1)", "falta ','"},
        {"1+", "termina antes do fim"},
        {"1 2", "'2' inesperado"},
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
            EXPECT_EQ(refusal.line, 12) << c.text;
            EXPECT_NE(refusal.reason.find(c.reason), std::string::npos)
                << c.text << ": " << refusal.reason;
        }
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
