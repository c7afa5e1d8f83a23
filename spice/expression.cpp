// The recursive-descent reader of expressions.
#include "spice/expression.h"

#include <cmath>
#include <cstring>

#include "spice/spice_text.h"

namespace talvor {

namespace {

bool IsNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

double Boolean(bool b) { return b ? 1.0 : 0.0; }

struct Function {
    const char* name;
    int arguments;
    double (*apply)(const double* x);
    // Functions of ngspice's Monte Carlo analysis draw a value around their first argument,
    // which the conversion takes (with a warning).
    bool random = false;
};

double Nominal(const double* x) { return x[0]; }

const Function Functions[] = {
    {"sqrt", 1, [](const double* x) { return std::sqrt(x[0]); }},
    {"sqr", 1, [](const double* x) { return x[0] * x[0]; }},
    {"exp", 1, [](const double* x) { return std::exp(x[0]); }},
    {"ln", 1, [](const double* x) { return std::log(x[0]); }},
    {"log", 1, [](const double* x) { return std::log(x[0]); }},
    {"log10", 1, [](const double* x) { return std::log10(x[0]); }},
    {"sin", 1, [](const double* x) { return std::sin(x[0]); }},
    {"cos", 1, [](const double* x) { return std::cos(x[0]); }},
    {"tan", 1, [](const double* x) { return std::tan(x[0]); }},
    {"asin", 1, [](const double* x) { return std::asin(x[0]); }},
    {"acos", 1, [](const double* x) { return std::acos(x[0]); }},
    {"atan", 1, [](const double* x) { return std::atan(x[0]); }},
    {"arctan", 1, [](const double* x) { return std::atan(x[0]); }},
    {"sinh", 1, [](const double* x) { return std::sinh(x[0]); }},
    {"cosh", 1, [](const double* x) { return std::cosh(x[0]); }},
    {"tanh", 1, [](const double* x) { return std::tanh(x[0]); }},
    {"asinh", 1, [](const double* x) { return std::asinh(x[0]); }},
    {"acosh", 1, [](const double* x) { return std::acosh(x[0]); }},
    {"atanh", 1, [](const double* x) { return std::atanh(x[0]); }},
    {"abs", 1, [](const double* x) { return std::fabs(x[0]); }},
    {"sgn", 1, [](const double* x) { return x[0] > 0   ? 1.0
                                            : x[0] < 0 ? -1.0
                                                       : 0.0; }},
    {"int", 1, [](const double* x) { return std::trunc(x[0]); }},
    {"floor", 1, [](const double* x) { return std::floor(x[0]); }},
    {"ceil", 1, [](const double* x) { return std::ceil(x[0]); }},
    {"nint", 1, [](const double* x) { return std::nearbyint(x[0]); }},
    {"pow", 2, [](const double* x) { return std::pow(x[0], x[1]); }},
    {"pwr", 2, [](const double* x) { return std::pow(std::fabs(x[0]), x[1]); }},
    {"min", 2, [](const double* x) { return std::fmin(x[0], x[1]); }},
    {"max", 2, [](const double* x) { return std::fmax(x[0], x[1]); }},
    {"ternary_fcn", 3, [](const double* x) { return x[0] != 0 ? x[1] : x[2]; }},
    {"agauss", 3, Nominal, true},
    {"gauss", 3, Nominal, true},
    {"aunif", 2, Nominal, true},
    {"unif", 2, Nominal, true},
    {"limit", 2, Nominal, true},
};

const Function* FindFunction(const std::string& lowerName)
{
    for (const Function& f : Functions)
        if (lowerName == f.name)
            return &f;
    return nullptr;
}

// The scope of a .func body: its parameters bound to the call's arguments, then the caller's.
class ArgumentScope : public ParameterScope {
public:
    ArgumentScope(const UserFunction& function, const std::vector<double>& arguments,
                  const ParameterScope& caller)
        : function_(function), arguments_(arguments), caller_(caller)
    {}
    std::optional<double> Find(const std::string& lowerName) const override
    {
        for (size_t k = 0; k < function_.parameters.size(); ++k)
            if (function_.parameters[k] == lowerName)
                return arguments_[k];
        return caller_.Find(lowerName);
    }
    const UserFunction* FindFunction(const std::string& lowerName) const override
    {
        return caller_.FindFunction(lowerName);
    }
    Warnings* WarningSink() const override { return caller_.WarningSink(); }

private:
    const UserFunction& function_;
    const std::vector<double>& arguments_;
    const ParameterScope& caller_;
};

// Recursive descent, one function per precedence level, lowest first.
class ExpressionReader {
public:
    // depth: the nesting already taken by the reader of the expression that calls this one's
    // .func.
    ExpressionReader(std::string_view text, const ParameterScope& scope, Origin line, int depth = 0)
        : text_(text), scope_(scope), line_(line), depth_(depth)
    {}

    double Read()
    {
        double value = Choice();
        SkipBlanks();
        if (at_ < text_.size())
            Fail(Format("'%s' inesperado", Shown(text_.substr(at_, 1)).c_str()));
        return value;
    }

private:
    // Bounds the recursion of every level that can nest.
    class Nesting {
    public:
        explicit Nesting(ExpressionReader& reader) : reader_(reader)
        {
            if (++reader_.depth_ > MaxExpressionDepth)
                reader_.Fail("aninhamento fundo demais");
        }
        ~Nesting() { --reader_.depth_; }

    private:
        ExpressionReader& reader_;
    };

    [[noreturn]] void Fail(const std::string& why)
    {
        Refuse(line_, Format("expressão {%s}: %s", Shown(text_).c_str(), why.c_str()));
    }

    void Warn(const std::string& what)
    {
        if (Warnings* warnings = scope_.WarningSink(); warnings != nullptr && live_)
            warnings->Add(line_, Format("expressão {%s}: %s", Shown(text_).c_str(), what.c_str()));
    }

    double Checked(double value)
    {
        if (!std::isfinite(value)) {
            if (live_)
                Fail("resultado infinito ou indefinido");
            return 0;
        }
        return value;
    }

    void SkipBlanks()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t'))
            ++at_;
    }

    bool Accept(const char* symbol)
    {
        SkipBlanks();
        size_t n = std::strlen(symbol);
        if (text_.substr(at_, n) != symbol)
            return false;
        at_ += n;
        return true;
    }

    void Expect(const char* symbol)
    {
        if (!Accept(symbol))
            Fail(Format("falta '%s'", symbol));
    }

    double Choice()
    {
        Nesting nesting(*this);
        double condition = Or();
        if (!Accept("?"))
            return condition;
        // The branch not taken is read but not evaluated: x == 0 ? 0 : 1/x is fine at x = 0.
        const bool live = live_;
        live_ = live && condition != 0;
        double yes = Choice();
        Expect(":");
        live_ = live && condition == 0;
        double no = Choice();
        live_ = live;
        return condition != 0 ? yes : no;
    }

    double Or()
    {
        double value = And();
        while (Accept("||"))
            value = Boolean((And() != 0) | (value != 0));
        return value;
    }

    double And()
    {
        double value = Comparison();
        while (Accept("&&"))
            value = Boolean((Comparison() != 0) & (value != 0));
        return value;
    }

    double Comparison()
    {
        double value = Sum();
        for (;;) {
            if (Accept("=="))
                value = Boolean(value == Sum());
            else if (Accept("!="))
                value = Boolean(value != Sum());
            else if (Accept("<="))
                value = Boolean(value <= Sum());
            else if (Accept(">="))
                value = Boolean(value >= Sum());
            else if (Accept("<"))
                value = Boolean(value < Sum());
            else if (Accept(">"))
                value = Boolean(value > Sum());
            else
                return value;
        }
    }

    double Sum()
    {
        double value = Product();
        for (;;) {
            if (Accept("+"))
                value = Checked(value + Product());
            else if (Accept("-"))
                value = Checked(value - Product());
            else
                return value;
        }
    }

    double Product()
    {
        double value = Unary();
        for (;;) {
            if (Accept("*")) {
                value = Checked(value * Unary());
            } else if (Accept("/")) {
                double divisor = Unary();
                if (divisor == 0 && live_)
                    Fail("divisão por zero");
                value = divisor == 0 ? 0 : Checked(value / divisor);
            } else if (Accept("%")) { // the remainder with the dividend's sign, as C's fmod
                double divisor = Unary();
                if (divisor == 0 && live_)
                    Fail("divisão por zero");
                value = divisor == 0 ? 0 : Checked(std::fmod(value, divisor));
            } else {
                return value;
            }
        }
    }

    double Unary()
    {
        Nesting nesting(*this);
        if (Accept("-"))
            return -Unary();
        if (Accept("+"))
            return Unary();
        if (Accept("!"))
            return Boolean(Unary() == 0);
        return Power();
    }

    // ngspice groups powers from the left (2^3^2 = 8^2) and raises the base's absolute value
    // ((-2)^3 = 8); an exponent takes its own signs (2^-1).
    double Power()
    {
        double value = Primary();
        while (Accept("**") || Accept("^")) {
            const double base = value, exponent = Exponent();
            value = Checked(std::pow(std::fabs(base), exponent));
            if (base < 0)
                Warn(Format("a base %s de uma potência é negativa: o ngspice (e o Talvor, como "
                            "ele) eleva o seu valor absoluto, %s",
                            NumberText(base).c_str(), NumberText(value).c_str()));
        }
        return value;
    }

    double Exponent()
    {
        Nesting nesting(*this);
        if (Accept("-"))
            return -Exponent();
        if (Accept("+"))
            return Exponent();
        return Primary();
    }

    double Primary()
    {
        Nesting nesting(*this);
        SkipBlanks();
        if (Accept("(")) {
            double value = Choice();
            Expect(")");
            return value;
        }
        if (Accept("{")) {
            double value = Choice();
            Expect("}");
            return value;
        }
        if (at_ < text_.size() && (IsDigit(text_[at_]) || text_[at_] == '.'))
            return Number();
        if (at_ < text_.size() && IsNameStart(text_[at_]))
            return NameOrCall();
        if (at_ >= text_.size())
            Fail("termina antes do fim");
        Fail(Format("'%s' inesperado", Shown(text_.substr(at_, 1)).c_str()));
    }

    // A number with its suffix letters (2k, 1meg, 10u).
    double Number()
    {
        size_t end = at_;
        while (end < text_.size() && (IsDigit(text_[end]) || text_[end] == '.'))
            ++end;
        if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E')) {
            size_t exponent = end + 1;
            if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-'))
                ++exponent;
            if (exponent < text_.size() && IsDigit(text_[exponent])) {
                end = exponent;
                while (end < text_.size() && IsDigit(text_[end]))
                    ++end;
            }
        }
        while (end < text_.size() && IsNameStart(text_[end]))
            ++end;
        std::optional<double> value = ParseSpiceNumber(text_.substr(at_, end - at_));
        if (!value)
            Fail(Format("número inválido '%s'", Shown(text_.substr(at_, end - at_)).c_str()));
        at_ = end;
        return Checked(*value);
    }

    double NameOrCall()
    {
        size_t end = at_;
        while (end < text_.size() && IsNameChar(text_[end]))
            ++end;
        const std::string name = Lower(text_.substr(at_, end - at_));
        at_ = end;
        if (Accept("("))
            return Call(name);
        if (std::optional<double> value = scope_.Find(name))
            return *value;
        if (name == "pi") // not a name of ngspice's expressions, only of its other languages
            Fail("parâmetro desconhecido 'pi': o ngspice não o conhece nas expressões; defina-o "
                 "com .param pi=3.141592653589793");
        Fail(Format("parâmetro desconhecido '%s'", Shown(name).c_str()));
    }

    double Call(const std::string& name)
    {
        const UserFunction* defined = scope_.FindFunction(name);
        const Function* function = defined != nullptr ? nullptr : FindFunction(name);
        if (defined == nullptr && function == nullptr)
            Fail(Format("função desconhecida '%s'", Shown(name).c_str()));
        const size_t wanted = defined != nullptr ? defined->parameters.size()
                                                 : static_cast<size_t>(function->arguments);
        std::vector<double> x;
        if (!Accept(")")) {
            do {
                x.push_back(Choice());
            } while (x.size() <= wanted && Accept(","));
            Expect(")");
        }
        if (x.size() != wanted)
            Fail(Format("%s pede %zu argumento%s", Shown(name).c_str(), wanted,
                        wanted == 1 ? "" : "s"));
        if (defined != nullptr) {
            // The body sees the arguments, then the caller's names; it nests like a parenthesis.
            ArgumentScope arguments(*defined, x, scope_);
            ExpressionReader body(defined->body, arguments, line_, depth_);
            body.live_ = live_;
            return Checked(body.Read());
        }
        const double value = Checked(function->apply(x.data()));
        if (function->random)
            Warn(Format("%s sorteia um valor em torno de %s (Monte Carlo) no ngspice; o Talvor usa "
                        "esse valor nominal",
                        function->name, NumberText(x[0]).c_str()));
        return value;
    }

    std::string_view text_;
    const ParameterScope& scope_;
    Origin line_;
    size_t at_ = 0;
    int depth_;
    bool live_ = true; // false inside the branch of ?: that is not taken
};

} // namespace

double EvaluateExpression(std::string_view text, const ParameterScope& scope, Origin line)
{
    return ExpressionReader(text, scope, line).Read();
}

} // namespace talvor
