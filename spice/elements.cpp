// Passive elements, sources, controlled sources and lines mapped onto Talvor's; then the links
// of F, H and K to the elements they name.
#include "spice/elements.h"

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "spice/devices.h"
#include "spice/element_fields.h"
#include "spice/names.h"
#include "spice/spice_text.h"

namespace talvor {

namespace {

constexpr double DegreesToRadians = 0.017453292519943295;

// A resistor's, capacitor's or inductor's value at the circuit's temperature, from its
// temperature coefficients: value · (1 + tc1·ΔT + tc2·ΔT²).
double TemperatureFactor(const std::map<std::string, double>& p, const Temperatures& t)
{
    double temperature = ValueOr(p, "temp", t.circuit) + ValueOr(p, "dtemp", 0);
    double difference = temperature - t.nominal;
    return 1 + ValueOr(p, "tc1", 0) * difference + ValueOr(p, "tc2", 0) * difference * difference;
}

TalvorElement Passive(char type, ElementFields& f, const Temperatures& temperatures)
{
    TalvorElement e = f.NewElement(type);
    e.nodes = {f.Node("o nó +"), f.Node("o nó -")};
    std::optional<double> value;
    if (!f.AtEnd() && !f.NextIsAssignment()) {
        if (f.place().FindModel(f.PeekLower()) != nullptr)
            f.Fail("elementos com .model não são convertidos; dê o valor");
        value = f.Number("o valor");
    }
    std::map<std::string, double> p =
        f.Parameters(type == 'R'   ? "r resistance m scale tc1 tc2 temp dtemp noisy"
                     : type == 'C' ? "c capacitance m scale tc1 tc2 temp dtemp ic"
                                   : "l inductance m scale tc1 tc2 temp dtemp ic");
    for (const char* name : {"r", "resistance", "c", "capacitance", "l", "inductance"})
        if (p.count(name) > 0)
            value = p[name];
    if (!value)
        f.Fail("falta o valor");
    const double m = ValueOr(p, "m", 1), scale = ValueOr(p, "scale", 1);
    if (m <= 0)
        f.Fail("m deve ser positivo");
    double v = *value * scale * TemperatureFactor(p, temperatures);
    // m devices in parallel: conductances and capacitances add.
    v = type == 'C' ? v * m : v / m;
    if (type == 'R' && v == 0)
        f.Fail("resistência nula: o Talvor não aceita; use uma fonte de 0 V");
    e.values = {v};
    return e;
}

TalvorElement Coupling(ElementFields& f)
{
    TalvorElement e = f.NewElement('K');
    e.control = f.place().ElementName(f.Word("o primeiro indutor"));
    e.control2 = f.place().ElementName(f.Word("o segundo indutor"));
    e.values = {f.Number("o coeficiente de acoplamento")};
    f.Parameters("");
    return e;
}

// The numbers of a waveform such as SIN(0 1 1k) or SIN 0 1 1k.
std::vector<double> WaveformArguments(ElementFields& f)
{
    std::vector<double> arguments;
    if (f.Peek() != nullptr && f.Peek()->kind == TokenKind::Open) {
        f.Skip();
        for (;;) {
            const Token* token = f.Peek();
            if (token == nullptr)
                f.Fail("falta ')'");
            if (token->kind == TokenKind::Close) {
                f.Skip();
                break;
            }
            if (token->kind == TokenKind::Comma)
                f.Skip();
            else
                arguments.push_back(f.Number("um valor da forma de onda"));
        }
    } else {
        while (f.NextIsNumber())
            arguments.push_back(f.Number("um valor da forma de onda"));
    }
    return arguments;
}

double Argument(const std::vector<double>& arguments, size_t k)
{
    return k < arguments.size() ? arguments[k] : 0.0;
}

// The waveform's value at t = 0, which ngspice takes for the operating point of a source
// without a DC value.
double ValueAtTimeZero(const std::string& waveform, const std::vector<double>& a)
{
    if (waveform == "sin")
        return Argument(a, 0) + Argument(a, 1) * std::sin(Argument(a, 5) * DegreesToRadians);
    if (waveform == "pwl") {
        if (a.size() < 2 || a[0] >= 0)
            return Argument(a, 1);
        for (size_t k = 2; k + 1 < a.size(); k += 2)
            if (a[k] >= 0) {
                double t0 = a[k - 2], v0 = a[k - 1], t1 = a[k], v1 = a[k + 1];
                return t1 == t0 ? v1 : v0 + (v1 - v0) * (0 - t0) / (t1 - t0);
            }
        return a[a.size() - 1 - (a.size() % 2)];
    }
    if (waveform == "am" || waveform == "trnoise" || waveform == "trrandom")
        return 0;
    return Argument(a, 0); // pulse, exp, sffm: their first value
}

bool IsWaveform(const std::string& word)
{
    static const char* const Waveforms[] = {"sin",  "pulse", "pwl",     "exp",
                                            "sffm", "am",    "trnoise", "trrandom"};
    for (const char* waveform : Waveforms)
        if (word == waveform)
            return true;
    return false;
}

TalvorElement Source(char type, ElementFields& f, Warnings& warnings)
{
    TalvorElement e = f.NewElement(type);
    e.nodes = {f.Node("o nó +"), f.Node("o nó -")};
    std::optional<double> dc;
    double magnitude = 0, phase = 0;
    std::string waveform;
    double timeZero = 0;
    while (!f.AtEnd()) {
        const std::string word = f.PeekLower();
        if (f.NextIsNumber()) {
            double value = f.Number("o valor");
            if (!dc) // ngspice keeps the first DC value of the line
                dc = value;
        } else if (word == "dc") {
            f.Skip();
            if (f.Peek() != nullptr && f.Peek()->kind == TokenKind::Equals)
                f.Skip();
            double value = f.Number("o valor DC");
            if (!dc)
                dc = value;
        } else if (f.Accept("ac")) {
            magnitude = f.NextIsNumber() ? f.Number("a amplitude AC") : 1;
            phase = f.NextIsNumber() ? f.Number("a fase AC") : 0;
        } else if (f.Accept("distof1") || f.Accept("distof2")) {
            for (int k = 0; k < 2 && f.NextIsNumber(); ++k)
                f.Number("o valor de distorção");
            warnings.Add(f.Line(), Format("%s: DISTOF ignorado (o Talvor não calcula distorção)",
                                          Shown(f.Name()).c_str()));
        } else if (waveform == "pwl" && (word == "r" || word == "td") && f.NextIsAssignment()) {
            f.Skip();
            f.Skip();
            f.Number(word.c_str()); // the repetition of a PWL: no bearing on t = 0
        } else if (IsWaveform(word) && !f.NextIsAssignment()) {
            f.Skip();
            waveform = word;
            timeZero = ValueAtTimeZero(word, WaveformArguments(f));
        } else {
            f.Fail(Format("campo inesperado '%s'", Shown(f.Peek()->text).c_str()));
        }
    }
    if (!waveform.empty()) {
        std::string upper = waveform;
        for (char& c : upper)
            c = static_cast<char>(c - 'a' + 'A');
        std::string what = Format("%s: forma de onda %s ignorada (o Talvor não simula no tempo)",
                                  Shown(f.Name()).c_str(), upper.c_str());
        if (!dc)
            what += Format("; nível CC %s, o valor em t = 0, como no ngspice",
                           NumberText(timeZero).c_str());
        warnings.Add(f.Line(), what);
    }
    // Talvor reads a source's magnitude as a word of at most 10 characters.
    const double written = NumberInWidth(magnitude, TalvorNameLength);
    if (std::fabs(written - magnitude) > 1e-7 * std::fabs(magnitude))
        warnings.Add(f.Line(), Format("%s: a amplitude AC %s vai ao netlist como %s (o Talvor a lê "
                                      "em até 10 caracteres)",
                                      Shown(f.Name()).c_str(), NumberText(magnitude).c_str(),
                                      NumberText(written).c_str()));
    e.values = {written, phase, dc.value_or(timeZero)};
    return e;
}

void SkipToken(ElementFields& f, TokenKind kind)
{
    if (f.Peek() != nullptr && f.Peek()->kind == kind)
        f.Skip();
}

// After "POLY": "(1)"; other dimensions are refused.
void PolynomialDimension(ElementFields& f)
{
    SkipToken(f, TokenKind::Open);
    const double dimension = f.Number("a dimensão do POLY");
    SkipToken(f, TokenKind::Close);
    if (dimension != 1)
        f.Fail(Format("POLY(%s) não é convertível: só o POLY(1) linear, p0 + p1·x",
                      NumberText(dimension).c_str()));
}

// The coefficients p0 p1 of a POLY(1) after its control; a single one is p0, as ngspice reads
// it. Nonzero terms of higher order are refused.
std::pair<double, double> LinearCoefficients(ElementFields& f)
{
    std::vector<double> p;
    while (f.NextIsNumber())
        p.push_back(f.Number("um coeficiente do POLY"));
    if (p.empty())
        f.Fail("POLY(1) sem coeficientes");
    f.Parameters("ic");
    for (size_t k = 2; k < p.size(); ++k)
        if (p[k] != 0)
            f.Fail(Format("POLY(1) com o termo de ordem %zu (p%zu=%s) não é convertível: só o "
                          "linear, p0 + p1·x",
                          k, k, NumberText(p[k]).c_str()));
    return {p[0], p.size() > 1 ? p[1] : 0.0};
}

// The element, and a POLY(1) output's constant term p0 as a DC source of the output's kind: a
// voltage source in series with E and H (through an internal node), a current source in
// parallel with G and F.
void AddWithConstantTerm(TalvorElement e, double p0, ConvertedCircuit& circuit)
{
    if (p0 == 0) {
        circuit.elements.push_back(std::move(e));
        return;
    }
    const bool voltage = e.type == 'E' || e.type == 'H';
    TalvorElement source;
    source.type = voltage ? 'V' : 'I';
    source.name = AddedElement(source.type, e.name);
    source.line = e.line;
    source.values = {0, 0, p0};
    source.nodes = {e.nodes[0], e.nodes[1]};
    if (voltage) {
        const std::string node = InternalNode(e.name, 'o');
        e.nodes[1] = node;
        source.nodes[0] = node;
        circuit.added.push_back(
            {node, Format("nó interno de %s, entre a sua saída e o termo constante do POLY",
                          e.name.c_str())});
    }
    circuit.added.push_back({source.name, Format("termo constante p0=%s do POLY de %s",
                                                 NumberText(p0).c_str(), e.name.c_str())});
    circuit.elements.push_back(std::move(e));
    circuit.elements.push_back(std::move(source));
}

void VoltageControlled(char type, ElementFields& f, ConvertedCircuit& circuit)
{
    TalvorElement e = f.NewElement(type);
    std::string outPlus = f.Node("o nó de saída +");
    std::string outMinus = f.Node("o nó de saída -");
    static const char* const Nonlinear[] = {"value", "table", "laplace", "freq", "vol",
                                            "cur",   "and",   "or",      "nand"};
    for (const char* keyword : Nonlinear)
        if (f.PeekLower() == keyword)
            f.Fail(Format("só a forma linear (%c nó+ nó- ctrl+ ctrl- ganho) e o POLY(1) linear "
                          "são convertíveis",
                          type));
    const bool polynomial = f.Accept("poly");
    if (polynomial)
        PolynomialDimension(f);
    SkipToken(f, TokenKind::Open); // POLY's controls may be written (in,0)
    std::string controlPlus = f.Node("o nó de controle +");
    SkipToken(f, TokenKind::Comma);
    std::string controlMinus = f.Node("o nó de controle -");
    SkipToken(f, TokenKind::Close);
    e.nodes = {outPlus, outMinus, controlPlus, controlMinus};
    if (polynomial) {
        auto [p0, p1] = LinearCoefficients(f);
        e.values = {p1};
        AddWithConstantTerm(std::move(e), p0, circuit);
        return;
    }
    e.values = {f.Number(type == 'E' ? "o ganho" : "a transcondutância")};
    f.Parameters("");
    circuit.elements.push_back(std::move(e));
}

void CurrentControlled(char type, ElementFields& f, ConvertedCircuit& circuit)
{
    TalvorElement e = f.NewElement(type);
    e.nodes = {f.Node("o nó de saída +"), f.Node("o nó de saída -")};
    const bool polynomial = f.Accept("poly");
    if (polynomial)
        PolynomialDimension(f);
    e.control = f.place().ElementName(f.Word("a fonte de controle"));
    if (polynomial) {
        auto [p0, p1] = LinearCoefficients(f);
        e.values = {p1};
        AddWithConstantTerm(std::move(e), p0, circuit);
        return;
    }
    e.values = {f.Number(type == 'F' ? "o ganho" : "a transresistência")};
    f.Parameters("");
    circuit.elements.push_back(std::move(e));
}

TalvorElement Line(ElementFields& f)
{
    TalvorElement e = f.NewElement('T');
    std::string port1 = f.Node("o nó 1+"), reference1 = f.Node("o nó 1-");
    std::string port2 = f.Node("o nó 2+"), reference2 = f.Node("o nó 2-");
    if (Lower(reference1) != Lower(reference2))
        f.Fail("as duas portas têm nós de referência diferentes; a linha do Talvor tem um nó "
               "comum às duas portas");
    std::map<std::string, double> p = f.Parameters("z0 zo td f nl ic");
    const double z0 = ValueOr(p, "z0", ValueOr(p, "zo", 0));
    if (z0 <= 0)
        f.Fail("falta Z0 (positivo)");
    double delay = 0;
    if (p.count("td") > 0)
        delay = p["td"];
    else if (ValueOr(p, "f", 0) > 0)
        delay = ValueOr(p, "nl", 0.25) / p["f"];
    else
        f.Fail("falta TD ou F");
    e.nodes = {port1, reference1, port2};
    e.values = {z0, delay};
    return e;
}

const char* Unsupported(char letter)
{
    switch (letter) {
    case 'B':
        return "fonte comportamental";
    case 'S':
    case 'W':
        return "chave";
    case 'J':
        return "JFET";
    case 'Z':
        return "MESFET";
    case 'O':
        return "linha com perdas";
    case 'U':
        return "linha RC distribuída";
    case 'Y':
        return "linha de transmissão";
    case 'P':
        return "linha acoplada";
    case 'A':
        return "modelo de código";
    case 'N':
        return "dispositivo de código";
    default:
        return "elemento";
    }
}

} // namespace

void ElementMapper::Element(const Place& place, const std::vector<Token>& tokens)
{
    ElementFields f(tokens, place);
    char letter = tokens[0].text[0];
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    switch (letter) {
    case 'R':
    case 'C':
    case 'L':
        circuit_.elements.push_back(Passive(letter, f, temperatures_));
        break;
    case 'K':
        circuit_.elements.push_back(Coupling(f));
        break;
    case 'V':
    case 'I':
        circuit_.elements.push_back(Source(letter, f, warnings_));
        break;
    case 'E':
    case 'G':
        VoltageControlled(letter, f, circuit_);
        break;
    case 'F':
    case 'H':
        CurrentControlled(letter, f, circuit_);
        break;
    case 'T':
        circuit_.elements.push_back(Line(f));
        break;
    case 'D':
    case 'Q':
    case 'M':
        MapDevice(letter, f, temperatures_, warnings_, circuit_);
        break;
    default:
        f.Fail(Format("%s (tipo %c) não tem equivalente no Talvor", Unsupported(letter), letter));
    }
}

namespace {

// Chains the input branches of the sensors between the source's nodes; returns whether the
// source disappears (a 0 V source is replaced by the first input branch).
bool LinkSensors(ConvertedCircuit& circuit, size_t sourceIndex, const std::vector<size_t>& sensors)
{
    TalvorElement& source = circuit.elements[sourceIndex];
    const std::string end = source.nodes[1];
    const bool silent = source.values[0] == 0 && source.values[2] == 0;
    std::string from = source.nodes[0];
    int added = 0;
    if (silent) {
        const TalvorElement& first = circuit.elements[sensors[0]];
        circuit.movedCurrents.push_back({source.name, first.name, first.type});
    } else {
        from = SyntheticNode(source.name, ++added);
        source.nodes[1] = from;
    }
    for (size_t k = 0; k < sensors.size(); ++k) {
        const std::string to = k + 1 < sensors.size() ? SyntheticNode(source.name, ++added) : end;
        TalvorElement& sensor = circuit.elements[sensors[k]];
        sensor.nodes.push_back(from);
        sensor.nodes.push_back(to);
        from = to;
    }
    return silent;
}

} // namespace

void LinkControls(ConvertedCircuit& circuit)
{
    std::vector<TalvorElement>& elements = circuit.elements;
    std::map<std::string, size_t> byName;
    for (size_t k = 0; k < elements.size(); ++k) {
        auto [where, added] = byName.emplace(Lower(elements[k].name), k);
        if (!added)
            Refuse(elements[k].line,
                   Format("nome repetido: %s (também na %s)", Shown(elements[k].name).c_str(),
                          LineName(elements[where->second].line).c_str()));
    }
    auto find = [&](const TalvorElement& user, const std::string& name, char type,
                    const char* what) {
        auto found = byName.find(Lower(name));
        if (found == byName.end() || elements[found->second].type != type)
            Refuse(user.line, Format("%s: %s %s não existe", Shown(user.name).c_str(), what,
                                     Shown(name).c_str()));
        return found->second;
    };

    std::map<size_t, std::vector<size_t>> sensorsOf; // by sensing source, sensors in order
    for (size_t k = 0; k < elements.size(); ++k) {
        const TalvorElement& e = elements[k];
        if (e.type == 'K') {
            find(e, e.control, 'L', "o indutor");
            find(e, e.control2, 'L', "o indutor");
        } else if (e.type == 'F' || e.type == 'H') {
            sensorsOf[find(e, e.control, 'V', "a fonte de tensão de controle")].push_back(k);
        }
    }
    std::vector<bool> removed(elements.size(), false);
    for (const auto& [source, sensors] : sensorsOf)
        removed[source] = LinkSensors(circuit, source, sensors);
    std::vector<TalvorElement> linked, couplings;
    for (size_t k = 0; k < elements.size(); ++k)
        if (!removed[k])
            (elements[k].type == 'K' ? couplings : linked).push_back(std::move(elements[k]));
    for (TalvorElement& coupling : couplings)
        linked.push_back(std::move(coupling));
    elements = std::move(linked);
}

} // namespace talvor
