// The conversion's pipeline: read the deck, sort it, flatten it into Talvor's elements, link
// them, name them, check the limits and write the netlist.
#include "spice/converter.h"

#include <climits>
#include <cmath>
#include <set>

#include "netlist/circuit.h"
#include "netlist/element_types.h"
#include "spice/dc_conductance.h"
#include "spice/deck_structure.h"
#include "spice/elements.h"
#include "spice/flatten.h"
#include "spice/include_files.h"
#include "spice/names.h"
#include "spice/netlist_writer.h"
#include "spice/series_resistances.h"
#include "spice/spice_text.h"

namespace talvor {

namespace {

double Setting(const std::optional<SettingText>& setting, const Scope& scope, double otherwise)
{
    return setting ? ValueOf(setting->value, scope, setting->line) : otherwise;
}

Temperatures ReadTemperatures(const DeckStructure& deck, const Scope& scope)
{
    Temperatures t;
    t.circuit = Setting(deck.temperature, scope, 27);
    t.nominal = Setting(deck.nominalTemperature, scope, 27);
    if (t.circuit <= -273.15 || t.nominal <= -273.15)
        Refuse(deck.temperature ? deck.temperature->line : deck.nominalTemperature->line,
               "temperatura abaixo do zero absoluto");
    return t;
}

// ".ac dec|oct|lin N f1 f2" as Talvor's ".AC". ngspice's N points per decade (or octave) step
// by 10^(1/N); Talvor's N counts both ends of the decade and steps by 10^(1/(N-1)), so the same
// frequencies take N + 1. Linear sweeps count the same way in both.
std::string AcLine(const DeckLine& line, const Scope& scope, std::vector<std::string>& notes,
                   Warnings& warnings)
{
    const std::vector<Token>& tokens = line.tokens;
    const Origin n = line.origin;
    if (tokens.size() != 5 || tokens[1].kind != TokenKind::Word)
        Refuse(n, ".ac deve ser .ac dec|oct|lin pontos fInicial fFinal");
    const std::string mode = Lower(tokens[1].text);
    if (mode != "dec" && mode != "oct" && mode != "lin")
        Refuse(n, Format(".ac %s não é convertível: o Talvor varre dec, oct ou lin",
                         Shown(tokens[1].text).c_str()));
    const double points = ValueOf(tokens[2], scope, n);
    const double start = ValueOf(tokens[3], scope, n), end = ValueOf(tokens[4], scope, n);
    if (points < 1 || points >= INT_MAX || points != std::floor(points))
        Refuse(n, ".ac: o número de pontos deve ser um inteiro positivo");
    if (start < 0 || end < start || (mode != "lin" && start <= 0))
        Refuse(n, ".ac: as frequências devem ser positivas e a final não menor que a inicial");
    const double rows = mode == "lin"
                            ? points
                            : std::floor(points * (mode == "dec" ? std::log10(end / start)
                                                                 : std::log2(end / start)) +
                                         1e-9) +
                                  1;
    if (rows > MaxSweepRows)
        Refuse(n, Format(".ac: %.0f pontos; o Talvor escreve tabelas de até %ld pontos", rows,
                         MaxSweepRows));
    int talvorPoints = static_cast<int>(points);
    if (mode != "lin") {
        // ngspice fits a whole number of steps between the ends by adjusting the ratio; Talvor
        // steps by the exact ratio, so the frequencies agree only for whole steps.
        const double steps =
            points * (mode == "dec" ? std::log10(end / start) : std::log2(end / start));
        if (std::fabs(steps - std::round(steps)) > 1e-9 * std::fmax(1.0, steps))
            warnings.Add(n, Format("o ngspice ajusta a razão da varredura para terminar em %s, o "
                                   "Talvor não: as frequências diferem (use %s inteiras)",
                                   NumberText(end).c_str(), mode == "dec" ? "décadas" : "oitavas"));
        ++talvorPoints;
        notes.push_back(Format(".ac %s %d: o Talvor conta as duas pontas de cada %s, daí %s %d "
                               "(as mesmas frequências)",
                               mode.c_str(), talvorPoints - 1, mode == "dec" ? "década" : "oitava",
                               mode == "dec" ? "DEC" : "OCT", talvorPoints));
    }
    return Format(".AC %s %d %s %s",
                  mode == "dec"   ? "DEC"
                  : mode == "oct" ? "OCT"
                                  : "LIN",
                  talvorPoints, NumberText(start).c_str(), NumberText(end).c_str());
}

// The unknowns the reader will add for an element's currents, and for all of them.
int ExtraCurrentsOf(const TalvorElement& e)
{
    const ElementType* type = FindElementType(e.type);
    return type != nullptr ? type->CurrentCount() : 0;
}

int ExtraCurrents(const ConvertedCircuit& circuit)
{
    int currents = 0;
    for (const TalvorElement& e : circuit.elements)
        currents += ExtraCurrentsOf(e);
    return currents;
}

// Where ngspice and Talvor put a small conductance across every junction.
void NoteJunctionConductance(ConvertedCircuit& circuit)
{
    for (const TalvorElement& e : circuit.elements)
        if (e.type == 'D' || e.type == 'Q') {
            circuit.notes.push_back("o ngspice põe GMIN = 1e-12 S em paralelo com cada junção, "
                                    "onde o Talvor põe g0 (1e-9 por padrão): --g0=1e-12 no "
                                    "talvor-cli faz como ele");
            return;
        }
}

// Every value must be one that Talvor reads back: a finite number.
void CheckValues(const ConvertedCircuit& circuit)
{
    for (const TalvorElement& e : circuit.elements)
        for (double value : e.values)
            if (!std::isfinite(value))
                Refuse(e.line, Format("%s: valor fora do alcance", Shown(e.name).c_str()));
}

// The first element that takes the circuit beyond Talvor's limits, its nodes and currents
// counted in netlist order; nullptr when the circuit fits.
const TalvorElement* FirstBeyondTheLimits(const ConvertedCircuit& circuit)
{
    std::set<std::string> nodes{"0"};
    int elements = 0, variables = 0;
    for (const TalvorElement& e : circuit.elements) {
        ++elements;
        for (const std::string& node : e.nodes)
            variables += nodes.insert(Lower(node)).second ? 1 : 0;
        variables += ExtraCurrentsOf(e);
        if (elements > MaxElements || variables > MaxVariables)
            return &e;
    }
    return nullptr;
}

void CheckLimits(const ConvertedCircuit& circuit, int nodes, int variables)
{
    const TalvorElement* first = FirstBeyondTheLimits(circuit);
    if (first != nullptr)
        Refuse(first->line,
               Format("o circuito convertido tem %zu elementos e %d variáveis (%d nós e %d "
                      "correntes); o Talvor aceita até %d elementos e %d variáveis: %s passa dos "
                      "limites",
                      circuit.elements.size(), variables, nodes, variables - nodes, MaxElements,
                      MaxVariables, Shown(first->name).c_str()));
}

Conversion Convert(std::string_view deckText, const std::string& deckName,
                   const std::string& deckFolder, std::deque<IncludedFile>& files,
                   Warnings& warnings)
{
    Conversion conversion;
    DeckText text = LexDeck(deckText, warnings);
    ExpandIncludes(text, deckFolder, files, warnings);
    DeckStructure deck = ParseDeckStructure(text, warnings);
    Scope scope = MainParameters(deck, warnings);
    Temperatures temperatures = ReadTemperatures(deck, scope);

    ConvertedCircuit circuit;
    ElementMapper mapper(circuit, temperatures, warnings);
    FlattenDeck(deck, scope, mapper);
    LinkControls(circuit);
    PlaceSeriesResistances(circuit, AssignNames(circuit).nodeCount + ExtraCurrents(circuit),
                           warnings);
    NoteJunctionConductance(circuit);
    WarnAboutDcBridges(circuit, warnings);
    CheckValues(circuit);
    if (circuit.elements.empty())
        Refuse(0, "o deck não tem elementos");

    TalvorNames names = AssignNames(circuit);
    const int variables = names.nodeCount + ExtraCurrents(circuit);
    CheckLimits(circuit, names.nodeCount, variables);

    NetlistHeader header;
    header.title = deck.title;
    header.deckName = deckName;
    if (deck.ac != nullptr)
        header.acLine = AcLine(*deck.ac, scope, circuit.notes, warnings);
    else
        warnings.Add(0, "o deck não tem .ac: o Talvor pedirá a varredura (no talvor-cli, "
                        "--sweep)");
    header.warnings = warnings.Lines();
    header.variableCount = variables;

    conversion.converted = true;
    conversion.netlist = WriteNetlist(circuit, names, header);
    conversion.warnings = warnings.Lines();
    conversion.elementCount = static_cast<int>(circuit.elements.size());
    conversion.nodeCount = names.nodeCount;
    conversion.variableCount = variables;
    return conversion;
}

} // namespace

Conversion ConvertDeck(std::string_view deck, const std::string& deckName,
                       const std::string& deckFolder)
{
    std::deque<IncludedFile> files; // the messages' origins point here
    Warnings warnings;
    Conversion refused;
    try {
        return Convert(deck, deckName, deckFolder, files, warnings);
    } catch (const Refusal& refusal) {
        refused.refusal = AtLine(refusal.origin, refusal.reason);
    } catch (const std::bad_alloc&) {
        refused.refusal = "memória insuficiente para converter o deck";
    }
    refused.warnings = warnings.Lines();
    return refused;
}

} // namespace talvor
