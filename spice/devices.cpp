// Diode, bipolar and MOS models of ngspice mapped onto Talvor's D, Q and M, parameter by
// parameter, from the tables of rules below.
#include "spice/devices.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <span>
#include <vector>

#include "spice/element_fields.h"
#include "spice/spice_text.h"

namespace talvor {

namespace {

// What becomes of one model parameter.
enum class Rule {
    Mapped,      // goes into Talvor's values
    Silent,      // no effect on the operating point or the AC analysis (noise, or ...)
    Temperature, // matters only away from the nominal temperature
    Missing,     // Talvor's model has no such effect: warned when not at its neutral value
    Fixed,       // Talvor's model has the value built in: warned when it differs
    Forward,     // the forward-bias depletion capacitance, which Talvor holds constant
    Grading,     // a junction's potential or grading, fixed in Talvor: warned per junction
};

struct ParameterRule {
    const char* names; // the name used in messages, then its aliases
    double standard;   // ngspice's value when the card does not give one
    Rule rule;
    double fixed = 0;       // Fixed: Talvor's built-in value; Missing: the value without effect
    const char* what = "";  // Missing, Fixed: the effect, for the warning
    const char* needs = ""; // the parameter that must be nonzero for this one to matter
};

// ngspice's diode (level 1).
const ParameterRule DiodeRules[] = {
    {"is js", 1e-14, Rule::Mapped},
    {"n", 1, Rule::Mapped},
    {"cjo cj0 cj", 0, Rule::Mapped},
    {"tt", 0, Rule::Mapped},
    {"vj pb", 1, Rule::Grading},
    {"m mj", 0.5, Rule::Grading},
    {"fc", 0.5, Rule::Forward, 0, "", "cjo"},
    {"level", 1, Rule::Fixed, 1, "o nível do modelo"},
    {"rs", 0, Rule::Mapped},
    {"bv", 0, Rule::Missing, 0, "a ruptura reversa"},
    {"ibv", 1e-3, Rule::Silent},
    {"ikf ik", 0, Rule::Missing, 0, "a alta injeção"},
    {"ikr", 0, Rule::Missing, 0, "a alta injeção reversa"},
    {"isr", 0, Rule::Missing, 0, "a corrente de recombinação"},
    {"nr", 2, Rule::Silent},
    {"jsw isw", 0, Rule::Missing, 0, "a corrente de parede lateral"},
    {"cjsw cjp", 0, Rule::Missing, 0, "a capacitância de parede lateral"},
    {"eg", 1.11, Rule::Temperature},
    {"xti", 3, Rule::Temperature},
    {"tnom tref", 27, Rule::Temperature},
    {"kf", 0, Rule::Silent},
    {"af", 1, Rule::Silent},
};

// ngspice's bipolar transistor (Gummel-Poon, level 1).
const ParameterRule BipolarRules[] = {
    {"is", 1e-16, Rule::Mapped},
    {"bf", 100, Rule::Mapped},
    {"br", 1, Rule::Mapped},
    {"nf", 1, Rule::Mapped},
    {"nr", 1, Rule::Mapped},
    {"vaf va", 0, Rule::Mapped},
    {"cje", 0, Rule::Mapped},
    {"cjc", 0, Rule::Mapped},
    {"tf", 0, Rule::Mapped},
    {"tr", 0, Rule::Mapped},
    {"vje pe", 0.75, Rule::Grading},
    {"mje me", 0.33, Rule::Grading},
    {"vjc pc", 0.75, Rule::Grading},
    {"mjc mc", 0.33, Rule::Grading},
    {"fc", 0.5, Rule::Forward, 0, "", "cje"},
    {"level", 1, Rule::Mapped},
    {"ise c2", 0, Rule::Missing, 0, "a corrente de fuga base-emissor"},
    {"isc c4", 0, Rule::Missing, 0, "a corrente de fuga base-coletor"},
    {"ne", 1.5, Rule::Silent},
    {"nc", 2, Rule::Silent},
    {"ikf ik", 0, Rule::Missing, 0, "a alta injeção"},
    {"ikr", 0, Rule::Missing, 0, "a alta injeção reversa"},
    {"var vb", 0, Rule::Missing, 0, "o efeito Early reverso"},
    {"rb", 0, Rule::Mapped},
    {"irb", 0, Rule::Silent}, // with RBM at RB, its default, the base resistance stays RB
    {"rbm", 0, Rule::Mapped},
    {"re", 0, Rule::Mapped},
    {"rc", 0, Rule::Mapped},
    {"xtf", 0, Rule::Missing, 0, "a variação de TF com a polarização"},
    {"vtf", 0, Rule::Silent},
    {"itf", 0, Rule::Silent},
    {"ptf", 0, Rule::Missing, 0, "a fase excedente"},
    {"cjs csub", 0, Rule::Missing, 0, "a capacitância de substrato"},
    {"vjs ps", 0.75, Rule::Silent},
    {"mjs ms", 0, Rule::Silent},
    {"xcjc", 1, Rule::Mapped},
    {"xtb", 0, Rule::Temperature},
    {"eg", 1.11, Rule::Temperature},
    {"xti", 3, Rule::Temperature},
    {"tnom tref", 27, Rule::Temperature},
    {"kf", 0, Rule::Silent},
    {"af", 1, Rule::Silent},
};

// ngspice's MOS level 1 (Shichman-Hodges with Meyer's gate capacitances).
const ParameterRule MosRules[] = {
    {"level", 1, Rule::Mapped},
    {"vto vt0", 0, Rule::Mapped},
    {"kp", 2e-5, Rule::Mapped},
    {"gamma", 0, Rule::Mapped},
    {"phi", 0.6, Rule::Mapped},
    {"lambda", 0, Rule::Mapped},
    {"ld", 0, Rule::Mapped},
    {"tox", 0, Rule::Mapped},
    {"uo u0", 600, Rule::Mapped},
    {"cgso", 0, Rule::Mapped},
    {"cgdo", 0, Rule::Mapped},
    {"cgbo", 0, Rule::Missing, 0, "a sobreposição porta-substrato"},
    {"rd", 0, Rule::Mapped},
    {"rs", 0, Rule::Mapped},
    {"rsh", 0, Rule::Missing, 0, "a resistência de folha de dreno e fonte"},
    {"cbd", 0, Rule::Missing, 0, "a capacitância da junção de dreno"},
    {"cbs", 0, Rule::Missing, 0, "a capacitância da junção de fonte"},
    {"cj", 0, Rule::Missing, 0, "a capacitância das junções de dreno e fonte"},
    {"cjsw", 0, Rule::Missing, 0, "a capacitância lateral das junções"},
    {"nsub", 0, Rule::Missing, 0, "o cálculo de VTO, GAMMA e PHI pela dopagem"},
    {"nss", 0, Rule::Missing, 0, "o cálculo de VTO pelos estados de superfície"},
    {"tpg", 1, Rule::Silent},
    {"is", 1e-14, Rule::Silent}, // the bulk junctions, reverse biased
    {"js", 0, Rule::Silent},
    {"pb", 0.8, Rule::Silent},
    {"mj", 0.5, Rule::Silent},
    {"mjsw", 0.5, Rule::Silent},
    {"fc", 0.5, Rule::Silent},
    {"tnom tref", 27, Rule::Temperature},
    {"kf", 0, Rule::Silent},
    {"af", 1, Rule::Silent},
};

// The parameters of ngspice's MOS levels 2 and 3 that level 1 does not have: converted with the
// level-1 equations, each warned about where it has an effect.
const ParameterRule MosLevel2Rules[] = {
    {"uexp", 0, Rule::Missing, 0, "a queda da mobilidade com o campo"},
    {"ucrit", 1e4, Rule::Silent}, // only with UEXP
    {"utra", 0, Rule::Silent},
    {"vmax", 0, Rule::Missing, 0, "a saturação da velocidade"},
    {"neff", 1, Rule::Silent}, // only with VMAX
    {"xj", 0, Rule::Missing, 0, "o efeito de canal curto na tensão de limiar"},
    {"delta", 0, Rule::Missing, 0, "o efeito de canal estreito"},
    {"nfs", 0, Rule::Missing, 0, "a condução abaixo do limiar"},
};
const ParameterRule MosLevel3Rules[] = {
    {"theta", 0, Rule::Missing, 0, "a queda da mobilidade com VGS"},
    {"eta", 0, Rule::Missing, 0, "o abaixamento da barreira pelo dreno"},
    {"kappa", 0.2, Rule::Missing, 0, "a modulação do canal do nível 3 (o LAMBDA do nível 1)"},
    {"vmax", 0, Rule::Missing, 0, "a saturação da velocidade"},
    {"xj", 0, Rule::Missing, 0, "o efeito de canal curto na tensão de limiar"},
    {"delta", 0, Rule::Missing, 0, "o efeito de canal estreito"},
    {"nfs", 0, Rule::Missing, 0, "a condução abaixo do limiar"},
};

// The first word of a rule's names, upper case, for messages.
std::string ShownName(const ParameterRule& rule)
{
    std::string name(rule.names, std::strcspn(rule.names, " "));
    for (char& c : name)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return name;
}

bool NamedBy(const ParameterRule& rule, const std::string& lower)
{
    for (const char* at = rule.names; *at != '\0';) {
        size_t length = std::strcspn(at, " ");
        if (lower.size() == length && lower.compare(0, length, at, length) == 0)
            return true;
        at += length + (at[length] == ' ' ? 1 : 0);
    }
    return false;
}

using RuleTable = std::span<const ParameterRule>;

// The values of one .model card, evaluated where the element stands, by their first names.
class ModelValues {
public:
    // rules: the model's table, then those of its level (more may be empty).
    ModelValues(const ModelCard& card, RuleTable rules, RuleTable more, const ParameterScope& scope,
                Warnings& warnings)
        : card_(card), warnings_(warnings)
    {
        for (RuleTable table : {rules, more})
            for (const ParameterRule& rule : table)
                rules_.push_back(&rule);
        const std::vector<Token>& tokens = card.parameters;
        for (size_t k = 0; k < tokens.size(); k += 3) {
            if (tokens[k].kind != TokenKind::Word || k + 2 >= tokens.size() ||
                tokens[k + 1].kind != TokenKind::Equals)
                Refuse(card.line, Format("modelo %s: esperava nome=valor em '%s'",
                                         Shown(card.name).c_str(), Shown(tokens[k].text).c_str()));
            const std::string name = Lower(tokens[k].text);
            const ParameterRule* rule = Find(name);
            if (rule == nullptr) {
                Warn(Format("parâmetro %s desconhecido, ignorado", Shown(name).c_str()));
                continue;
            }
            given_[FirstName(*rule)] = ValueOf(tokens[k + 2], scope, card.line);
        }
    }

    bool Given(const char* name) const { return given_.count(name) > 0; }

    double operator()(const char* name) const
    {
        auto found = given_.find(name);
        if (found != given_.end())
            return found->second;
        const ParameterRule* rule = Find(name);
        return rule != nullptr ? rule->standard : 0.0;
    }

    const ModelCard& Card() const { return card_; }

    // "VJ=1 (padrão do ngspice)": the parameter's value and whether the card gave it.
    std::string Described(const char* name) const
    {
        return Format("%s=%s%s", ShownName(*Find(name)).c_str(), NumberText((*this)(name)).c_str(),
                      Given(name) ? "" : " (padrão do ngspice)");
    }

    void Warn(const std::string& what) const
    {
        warnings_.Add(card_.line, Format("modelo %s: %s", Shown(card_.name).c_str(), what.c_str()));
    }

    // Warns about every parameter that Talvor's model cannot follow.
    void CheckRules(const Temperatures& temperatures) const
    {
        for (const ParameterRule* each : rules_) {
            const ParameterRule& rule = *each;
            const std::string name = FirstName(rule);
            const double value = (*this)(name.c_str());
            const bool matters = *rule.needs == '\0' || (*this)(rule.needs) != 0;
            const std::string shown = Described(name.c_str());
            if (rule.rule == Rule::Missing && value != rule.fixed)
                Warn(Format("%s ignorado: o Talvor não tem %s", shown.c_str(), rule.what));
            else if (rule.rule == Rule::Fixed && matters && value != rule.fixed)
                Warn(Format("%s, mas o Talvor usa %s (%s)", shown.c_str(),
                            NumberText(rule.fixed).c_str(), rule.what));
            else if (rule.rule == Rule::Forward && matters)
                Warn("em condução acima de 0.3 V o Talvor mantém a capacitância de depleção no "
                     "valor de 0.3 V, e o ngspice a faz crescer");
        }
        const double nominal = Given("tnom") ? (*this)("tnom") : temperatures.nominal;
        if (temperatures.circuit != nominal)
            Warn(Format("a análise a %s °C, fora de TNOM = %s °C: o ngspice ajusta os parâmetros "
                        "à temperatura, o Talvor usa os do modelo",
                        NumberText(temperatures.circuit).c_str(), NumberText(nominal).c_str()));
    }

private:
    static std::string FirstName(const ParameterRule& rule)
    {
        return std::string(rule.names, std::strcspn(rule.names, " "));
    }

    const ParameterRule* Find(const std::string& lower) const
    {
        for (const ParameterRule* rule : rules_)
            if (NamedBy(*rule, lower))
                return rule;
        return nullptr;
    }

    const ModelCard& card_;
    std::vector<const ParameterRule*> rules_;
    Warnings& warnings_;
    std::map<std::string, double> given_;
};

ModelValues Evaluate(const ModelCard& card, RuleTable rules, const ElementFields& f,
                     Warnings& warnings, RuleTable more = {})
{
    return ModelValues(card, rules, more, f.place().Parameters(), warnings);
}

// The LEVEL a card gives, 1 without one.
double LevelOf(const ModelCard& card, const ParameterScope& scope)
{
    const std::vector<Token>& tokens = card.parameters;
    for (size_t k = 0; k + 2 < tokens.size(); ++k)
        if (tokens[k].kind == TokenKind::Word && Lower(tokens[k].text) == "level" &&
            tokens[k + 1].kind == TokenKind::Equals)
            return ValueOf(tokens[k + 2], scope, card.line);
    return 1;
}

// The .model card named by the next field, which must be of one of the types (space-separated).
const ModelCard& ModelOf(ElementFields& f, const char* types)
{
    const std::string name = f.Word("o nome do modelo");
    const ModelCard* card = f.place().FindModel(name);
    if (card == nullptr)
        f.Fail(Format("modelo %s não definido", Shown(name).c_str()));
    const ParameterRule typeList{types, 0, Rule::Silent};
    if (!NamedBy(typeList, card->type))
        f.Fail(Format("o modelo %s é do tipo %s, que não serve a este elemento",
                      Shown(name).c_str(), Shown(card->type).c_str()));
    return *card;
}

void WarnInstanceTemperature(const ElementFields& f, const std::map<std::string, double>& p,
                             Warnings& warnings)
{
    if (p.count("temp") > 0 || p.count("dtemp") > 0)
        warnings.Add(f.Line(), Format("%s: TEMP e DTEMP ignorados: o Talvor usa os parâmetros do "
                                      "modelo",
                                      Shown(f.Name()).c_str()));
}

// The area factor: positional, or area=, times the multiplier m.
double AreaFactor(ElementFields& f, std::map<std::string, double>& p, double positional)
{
    double area = ValueOr(p, "area", positional) * ValueOr(p, "m", 1);
    if (area <= 0)
        f.Fail("a área e m devem ser positivos");
    return area;
}

void Require(const ModelValues& v, bool condition, const char* what)
{
    if (!condition)
        Refuse(v.Card().line, Format("modelo %s: %s", Shown(v.Card().name).c_str(), what));
}

// Talvor linearises a junction above --vdmax (0.7 V by default); a junction with a small
// saturation current reaches 0.7 V already at moderate currents.
void WarnAboveVdmax(const ModelValues& v, const char* junction, double saturation, double vt)
{
    constexpr double Vdmax = 0.7, ModerateCurrent = 1e-3;
    const double current = saturation * std::expm1(Vdmax / vt);
    if (current < ModerateCurrent)
        v.Warn(Format("%s passa de 0.7 V com %.2g mA, e acima disso o Talvor a lineariza "
                      "(aumente --vdmax no talvor-cli)",
                      junction, current * 1e3));
}

// "1.2 vez", "2.5 vezes".
std::string Times(double ratio)
{
    return Format("%.2g %s", ratio, ratio < 2 ? "vez" : "vezes");
}

// Talvor's depletion capacitance is CJ/(1 - V/0.6)^0.5; ngspice's, in reverse bias, is
// CJ/(1 - V/VJ)^M. One warning per junction whose VJ or M differ, with how much larger ngspice's
// capacitance is at -1 V and -5 V.
void WarnDepletionGrading(const ModelValues& v, const char* junction, const char* cj,
                          const char* vj, const char* m)
{
    if (v(cj) == 0 || (v(vj) == 0.6 && v(m) == 0.5))
        return;
    std::string text = Format("%s: %s e %s, mas o Talvor usa 0.6 e 0.5", junction,
                              v.Described(vj).c_str(), v.Described(m).c_str());
    if (v(vj) > 0) {
        auto ratio = [&](double volts) {
            return std::pow(1 - volts / v(vj), -v(m)) / std::pow(1 - volts / 0.6, -0.5);
        };
        text += Format(": a capacitância de depleção do ngspice é %s a do Talvor a -1 V e %s a "
                       "-5 V",
                       Times(ratio(-1)).c_str(), Times(ratio(-5)).c_str());
    }
    v.Warn(text);
}

// Other levels are other models, with other equations and parameters.
void RequireLevelOne(const ModelValues& v, const char* device, const char* model)
{
    if (v("level") != 1)
        Refuse(v.Card().line,
               Format("modelo %s: %s de nível %s; o Talvor tem só o nível 1 (%s)",
                      Shown(v.Card().name).c_str(), device, NumberText(v("level")).c_str(), model));
}

// The family of ngspice's MOS models of a level, for the refusal: "BSIM3" for 49.
const char* MosFamily(double level)
{
    if (level == 4)
        return " (BSIM1)";
    if (level == 5)
        return " (BSIM2)";
    if (level == 8 || level == 49)
        return " (BSIM3)";
    if (level == 14 || level == 54)
        return " (BSIM4)";
    if (level == 10 || level == 58)
        return " (B4SOI)";
    if (level >= 55 && level <= 57)
        return " (BSIM3SOI)";
    return "";
}

// Levels 2 and 3 convert with the level-1 equations and the parameters they share; the others
// are refused. The extra parameters of the level, for ModelValues.
RuleTable MosLevelRules(const ModelCard& card, const ElementFields& f)
{
    const double level = LevelOf(card, f.place().Parameters());
    if (level == 1)
        return {};
    if (level == 2)
        return MosLevel2Rules;
    if (level == 3)
        return MosLevel3Rules;
    Refuse(card.line,
           Format("modelo %s: MOS de nível %s%s não é convertível; o Talvor tem o nível "
                  "1 (Shichman-Hodges) e converte para ele os níveis 2 e 3",
                  Shown(card.name).c_str(), NumberText(level).c_str(), MosFamily(level)));
}

// A series resistance of the model for this device, between its terminal and an internal node
// (placed later, within the limits: series_resistances.h).
void AddSeriesResistance(ConvertedCircuit& circuit, const TalvorElement& device, size_t terminal,
                         char tag, const char* parameter, double ohms)
{
    if (ohms > 0)
        circuit.seriesResistances.push_back(
            {device.name, terminal, tag, parameter, ohms, device.line});
}

TalvorElement Diode(ElementFields& f, const Temperatures& temperatures, Warnings& warnings,
                    ConvertedCircuit& circuit)
{
    TalvorElement e = f.NewElement('D');
    e.nodes = {f.Node("o anodo"), f.Node("o catodo")};
    const ModelCard& card = ModelOf(f, "d");
    double positional = f.NextIsNumber() ? f.Number("a área") : 1;
    std::map<std::string, double> p = f.Parameters("area m pj off ic temp dtemp lm wm lp wp");
    double area = AreaFactor(f, p, positional);
    WarnInstanceTemperature(f, p, warnings);
    ModelValues v = Evaluate(card, DiodeRules, f, warnings);
    v.CheckRules(temperatures);
    Require(v, v("is") > 0 && v("n") > 0, "IS e N devem ser positivos");
    Require(v, v("rs") >= 0, "RS não pode ser negativo");
    AddSeriesResistance(circuit, e, 0, 'a', "RS", v("rs") / area);
    // i = IS·(e^(v/(N·Vt)) − 1); the diffusion capacitance TT·di/dv is C1·i·1e9 in Talvor, so
    // C1 = TT/(VT·1e9) up to the "−1", negligible in conduction where it matters.
    const double vt = v("n") * ThermalVoltage(temperatures.circuit);
    WarnAboveVdmax(v, "a junção", v("is") * area, vt);
    WarnDepletionGrading(v, "a junção", "cjo", "vj", "m");
    e.values = {v("is") * area, vt, v("cjo") * area, v("tt") / (vt * 1e9)};
    return e;
}

TalvorElement Bipolar(ElementFields& f, const Temperatures& temperatures, Warnings& warnings,
                      ConvertedCircuit& circuit)
{
    TalvorElement e = f.NewElement('Q');
    e.nodes = {f.Node("o coletor"), f.Node("a base"), f.Node("o emissor")};
    // An optional substrate node comes before the model name: a fourth word that names no
    // model and is followed by another word (which must then be the model).
    const Token* next = f.Peek();
    if (next != nullptr && next->kind == TokenKind::Word && !f.NextIsAssignment() &&
        f.place().FindModel(next->text) == nullptr && f.FollowedByWord("off"))
        f.Node("o substrato");
    const ModelCard& card = ModelOf(f, "npn pnp");
    e.kind = card.type == "npn" ? "NPN" : "PNP";
    double positional = f.NextIsNumber() ? f.Number("a área") : 1;
    std::map<std::string, double> p = f.Parameters("area areab areac m off ic temp dtemp");
    double area = AreaFactor(f, p, positional);
    WarnInstanceTemperature(f, p, warnings);
    ModelValues v = Evaluate(card, BipolarRules, f, warnings);
    RequireLevelOne(v, "bipolar", "Gummel-Poon");
    v.CheckRules(temperatures);
    WarnDepletionGrading(v, "a junção base-emissor", "cje", "vje", "mje");
    WarnDepletionGrading(v, "a junção base-coletor", "cjc", "vjc", "mjc");
    Require(v, v("is") > 0 && v("bf") > 0 && v("br") > 0 && v("nf") > 0 && v("nr") > 0,
            "IS, BF, BR, NF e NR devem ser positivos");
    Require(v, v("rb") >= 0 && v("rc") >= 0 && v("re") >= 0, "RB, RC e RE não podem ser negativos");
    // The base resistance goes from RB towards RBM as the current grows; RBM is RB unless given.
    if (v.Given("rbm") && v("rbm") != v("rb"))
        v.Warn(Format("RBM=%s: no ngspice a resistência de base vai de RB a RBM com a corrente; o "
                      "Talvor usa RB=%s fixo",
                      NumberText(v("rbm")).c_str(), NumberText(v("rb")).c_str()));
    if (v("xcjc") != 1 && v("cjc") != 0 && v("rb") != 0)
        v.Warn(Format("XCJC=%s: o ngspice liga %s da CJC à base externa, antes de RB; o Talvor "
                      "liga toda a CJC à base interna",
                      NumberText(v("xcjc")).c_str(), NumberText(1 - v("xcjc")).c_str()));
    AddSeriesResistance(circuit, e, 1, 'b', "RB", v("rb") / area);
    AddSeriesResistance(circuit, e, 2, 'e', "RE", v("re") / area);
    AddSeriesResistance(circuit, e, 0, 'c', "RC", v("rc") / area);
    if (v("vaf") != 0)
        v.Warn(Format("VAF=%s: o Talvor multiplica a corrente de coletor por 1 + VCE/VA, o ngspice "
                      "por 1 + VCB/VAF; ganho e resistência de saída diferem na ordem de VBE/VAF",
                      NumberText(v("vaf")).c_str()));
    // ngspice divides the transit-time charge by qb too, which holds the Early effect.
    if (v("vaf") != 0 && v("tf") != 0)
        v.Warn(Format("VAF=%s e TF=%s: a capacitância de difusão do ngspice também cresce com 1 + "
                      "VCB/VAF, a do Talvor não; difere na ordem de VCB/VAF (%.2g%% por volt de "
                      "VCB)",
                      NumberText(v("vaf")).c_str(), NumberText(v("tf")).c_str(),
                      100 / std::fabs(v("vaf"))));
    // Gummel-Poon without its second-order terms is Ebers-Moll: alfa = BF/(1+BF), the emitter
    // junction's saturation current IS/alfa, and likewise for the reverse direction.
    const double vt = ThermalVoltage(temperatures.circuit);
    const double alfa = v("bf") / (1 + v("bf")), alfar = v("br") / (1 + v("br"));
    const double vtbe = v("nf") * vt, vtbc = v("nr") * vt;
    const double isbe = v("is") * area / alfa, isbc = v("is") * area / alfar;
    WarnAboveVdmax(v, "a junção base-emissor", v("is") * area, vtbe);
    // Without VAF ngspice has no Early effect; Talvor's is then far below rounding.
    const double va = v("vaf") != 0 ? v("vaf") : 1e30;
    // Diffusion capacitances TF·gbe and TR·gbc as C1·i·1e9 on Talvor's junction currents.
    const double c1be = v("tf") * alfa / (vtbe * 1e9), c1bc = v("tr") * alfar / (vtbc * 1e9);
    e.values = {alfa, alfar,           isbe, vtbe, isbc, vtbc, va, v("cje") * area,
                c1be, v("cjc") * area, c1bc};
    return e;
}

TalvorElement Mos(ElementFields& f, const Temperatures& temperatures, Warnings& warnings,
                  ConvertedCircuit& circuit)
{
    TalvorElement e = f.NewElement('M');
    e.nodes = {f.Node("o dreno"), f.Node("a porta"), f.Node("a fonte"), f.Node("o substrato")};
    const ModelCard& card = ModelOf(f, "nmos pmos");
    const bool nChannel = card.type == "nmos";
    e.kind = nChannel ? "NMOS" : "PMOS";
    std::map<std::string, double> p = f.Parameters("l w m ad as pd ps nrd nrs off ic temp dtemp");
    WarnInstanceTemperature(f, p, warnings);
    ModelValues v = Evaluate(card, MosRules, f, warnings, MosLevelRules(card, f));
    v.CheckRules(temperatures);
    if (v("level") != 1)
        v.Warn(Format("nível %s convertido com as equações do nível 1 (Shichman-Hodges) e os "
                      "parâmetros que elas têm: as correntes diferem das do ngspice na medida dos "
                      "efeitos que só o nível %s tem",
                      NumberText(v("level")).c_str(), NumberText(v("level")).c_str()));
    const double length = ValueOr(p, "l", 100e-6),
                 width = ValueOr(p, "w", 100e-6) * ValueOr(p, "m", 1);
    const double effectiveLength = length - 2 * v("ld");
    if (width <= 0 || effectiveLength <= 0)
        f.Fail("W e L - 2·LD devem ser positivos");
    Require(v, v("phi") > 0, "PHI deve ser positivo");
    Require(v, v("tox") >= 0, "TOX não pode ser negativo");

    // ngspice: Id = KP/2·W/Leff·(Vgs−Vt)²·(1+λVds) in saturation; Talvor: K·W/L·(Vgs−Vt)²·....
    const double oxide = v("tox") > 0 ? 3.9 * 8.854214871e-12 / v("tox") : 0;
    const double kp = v.Given("kp") || oxide == 0 ? v("kp") : v("uo") * 1e-4 * oxide;
    Require(v, kp > 0, "KP deve ser positivo");
    const double beta = kp / 2 * width / effectiveLength;
    const double gate = oxide * width * effectiveLength; // Meyer's total gate capacitance
    // Talvor takes Cox from K (Cox = 2K/μ with a fixed mobility μ), so with ngspice's gate
    // capacitance known, W·K and L are chosen to keep both K·W/L = beta and Cox·W·L = gate.
    const double mobility = nChannel ? 0.05 : 0.02;
    double k = kp / 2, talvorLength = effectiveLength;
    if (gate > 0) {
        const double kw = std::sqrt(beta * gate * mobility / 2);
        k = kw / width;
        talvorLength = kw / beta;
        if (!std::isfinite(k) || k <= 0 || !std::isfinite(talvorLength) || talvorLength <= 0)
            f.Fail("KP, W e L dão valores fora do alcance");
        std::string note =
            Format("modelo %s: L e K de cada M escolhidos para K·W/L = KP·W/(2·Leff) "
                   "e (2K/μ)·W·L = (εox/TOX)·W·Leff, pois o Talvor calcula Cox "
                   "de K",
                   Shown(card.name).c_str());
        if (std::find(circuit.notes.begin(), circuit.notes.end(), note) == circuit.notes.end())
            circuit.notes.push_back(note);
    } else {
        v.Warn("sem TOX o ngspice não tem capacitâncias de porta, e o Talvor as calcula (Cox = "
               "2K/μ); para comparar, use --no-mos-caps e --no-cgb no talvor-cli");
    }
    if (v("cgso") != v("cgdo"))
        v.Warn("CGSO e CGDO diferem: o Talvor usa a mesma sobreposição (a de CGSO) nos dois lados");
    if (gate > 0)
        v.Warn("em triodo o ngspice (Meyer) faz Cgs e Cgd variarem com VDS, de Cox·W·L/2 cada em "
               "VDS = 0 a 2/3 e 0 na saturação; o Talvor usa metades fixas, e Cgd difere em até "
               "Cox·W·L/2 (perto do limiar a Cgb também difere)");
    // Talvor's threshold stays at VT0 for VBS > 0; ngspice's falls. An n-channel bulk on ground
    // is not forward biased while its source stays at or above ground.
    const std::string& bulk = e.nodes[3];
    if (v("gamma") != 0 && Lower(bulk) != Lower(e.nodes[2]) && !(nChannel && bulk == "0"))
        v.Warn(Format("GAMMA=%s: com o substrato diretamente polarizado (VBS > 0) o Talvor mantém "
                      "VT = VT0, e o ngspice baixa VT em GAMMA·VBS/(2·√PHI): %.2g mV a VBS = 0.1 "
                      "V; confira VBS no ponto de operação",
                      NumberText(v("gamma")).c_str(),
                      v("gamma") * 0.1 / (2 * std::sqrt(v("phi"))) * 1e3));
    Require(v, v("rd") >= 0 && v("rs") >= 0, "RD e RS não podem ser negativos");
    AddSeriesResistance(circuit, e, 0, 'd', "RD", v("rd") / ValueOr(p, "m", 1));
    AddSeriesResistance(circuit, e, 2, 's', "RS", v("rs") / ValueOr(p, "m", 1));
    const double talvorOxide = 2 * k / mobility;
    const double overlap = v("cgso") / talvorOxide; // Talvor's Ld: Cox·W·Ld = CGSO·W
    const double threshold = nChannel ? v("vto") : -v("vto");
    e.values = {talvorLength, width, k, threshold, v("lambda"), v("gamma"), v("phi"), overlap};
    return e;
}

} // namespace

double ThermalVoltage(double celsius)
{
    constexpr double Boltzmann = 1.38064852e-23, Charge = 1.6021766208e-19;
    return Boltzmann * (celsius + 273.15) / Charge;
}

void MapDevice(char letter, ElementFields& fields, const Temperatures& temperatures,
               Warnings& warnings, ConvertedCircuit& circuit)
{
    if (letter == 'D')
        circuit.elements.push_back(Diode(fields, temperatures, warnings, circuit));
    else if (letter == 'Q')
        circuit.elements.push_back(Bipolar(fields, temperatures, warnings, circuit));
    else
        circuit.elements.push_back(Mos(fields, temperatures, warnings, circuit));
}

} // namespace talvor
