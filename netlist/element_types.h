// The table of element types: for each type letter, its netlist line (node fields, value slots
// with their names, units and defaults, the form of its scan and echo), the extra currents it
// adds and whether Newton-Raphson iterates on it. The reader, the analysis, the diagnosis, the
// SPICE converter and the user manual read it, so a type is described in this one place.
#pragma once

#include <span>
#include <string_view>

namespace talvor {

// How a line is scanned and echoed after the element's name.
enum class LineForm {
    Plain,      // the nodes, then the values; the scan stops at the first field it cannot read
    Source,     // I, V: the nodes, a magnitude or a kind word (DC, SIN, PULSE), two numbers
    Coupling,   // K: the names of two earlier inductors L, then the values
    Transistor, // Q: the nodes, the type word (N or P), then the values
    Mos,        // M: the nodes, the type word, "L=" and the length, "W=" and the width, the rest
    Points,     // N: the nodes and every one of the values; a missing one ends the reading
};

// What a value does in the element's equations.
enum class SlotRole {
    Size,      // sizes an admittance, a gain or a coupling: R, C, a gain, GB, k
    Signal,    // a source's AC magnitude and phase or its DC value: the right-hand side only
    Parameter, // a parameter of a model: a device's, a line's delay
};

struct ValueSlot {
    const char* name = nullptr; // as the README names it: "Is", "VA", "W"
    const char* unit = "";      // of the value as the netlist line gives it
    double defaultValue = 0;    // stored before the line is scanned
    SlotRole role = SlotRole::Size;
    double storedPerUnit = 1; // the record holds the line's value times this
};

// An extra-current unknown: the prefix of its name and whether it flows in the shorted input
// branch (F, H) rather than in the element's own branch.
struct ExtraCurrent {
    const char* prefix = nullptr; // "j", "jx", "jy"
    bool inputBranch = false;
};

inline constexpr int MaxSlotsPerType = 11;
inline constexpr double DegreesToRadians = 0.017453292519943295;

struct ElementType {
    char letter;
    const char* description; // the manual's caption: "Resistor", "Fonte de tensão"
    const char* fields;      // the manual's fields after the name: "nó+ nó- resistência"
    LineForm form;
    int nodes; // node fields, stored in a, b, c, d in this order (K: none, it names inductors)
    ValueSlot slots[MaxSlotsPerType]; // values[0], values[1], ... in the order of the line
    int mainSlot;                     // the value that sizes the element; -1 when none does
    ExtraCurrent currents[2];         // numbered after the nodes, into x and then y
    bool nonlinear;                   // a device that Newton-Raphson iterates on

    constexpr int SlotCount() const
    {
        int count = 0;
        while (count < MaxSlotsPerType && slots[count].name != nullptr)
            ++count;
        return count;
    }
    constexpr int CurrentCount() const
    {
        return (currents[0].prefix != nullptr ? 1 : 0) + (currents[1].prefix != nullptr ? 1 : 0);
    }
};

namespace ElementTable {

inline constexpr SlotRole P = SlotRole::Parameter;
inline constexpr SlotRole S = SlotRole::Signal;
inline constexpr double Vt = 0.043429445; // the default thermal voltage of a junction

// In the order of the manual's list.
inline constexpr ElementType Rows[] = {
    {'R', "Resistor", "nó+ nó- resistência", LineForm::Plain, 2, {{"R", "Ω"}}, 0, {}, false},
    {'C', "Capacitor", "nó+ nó- capacitância", LineForm::Plain, 2, {{"C", "F"}}, 0, {}, false},
    {'L', "Indutor", "nó+ nó- indutância", LineForm::Plain, 2, {{"L", "H"}}, 0, {{"j"}}, false},
    {'X',
     "Indutor sem corrente",
     "nó+ nó- indutância",
     LineForm::Plain,
     2,
     {{"L", "H"}},
     0,
     {},
     false},
    {'G',
     "Transcondutor",
     "nóI+ nóI- nóv+ nóv- transcondutância",
     LineForm::Plain,
     4,
     {{"G", "S"}},
     0,
     {},
     false},
    {'E',
     "Amplificador de tensão",
     "nóV+ nóV- nóv+ nóv- ganho",
     LineForm::Plain,
     4,
     {{"Av", "V/V"}},
     0,
     {{"j"}},
     false},
    {'F',
     "Amplificador de corrente",
     "nóI+ nóI- nói+ nói- ganho",
     LineForm::Plain,
     4,
     {{"B", "A/A"}},
     0,
     {{"j", true}},
     false},
    {'H',
     "Transresistor",
     "nóV+ nóV- nói+ nói- transresistência",
     LineForm::Plain,
     4,
     {{"Rm", "Ω"}},
     0,
     {{"jx"}, {"jy", true}},
     false},
    {'I',
     "Fonte de corrente",
     "nó+ nó- módulo fase(graus) valor_contínuo",
     LineForm::Source,
     2,
     {{"mod", "A", 0, S}, {"fase", "graus", 0, S, DegreesToRadians}, {"DC", "A", 0, S}},
     0,
     {},
     false},
    {'V',
     "Fonte de tensão",
     "nó+ nó- módulo fase(graus) valor_contínuo",
     LineForm::Source,
     2,
     {{"mod", "V", 0, S}, {"fase", "graus", 0, S, DegreesToRadians}, {"DC", "V", 0, S}},
     0,
     {{"j"}},
     false},
    {'O',
     "Amplificador operacional",
     "nó_saída+ nó_saída- nó_entrada- nó_entrada+",
     LineForm::Plain,
     4,
     {},
     -1,
     {{"j"}},
     false},
    {'A',
     "Amplificador",
     "nó_saída+ nó_saída- nó_entrada- nó_entrada+ GB P Rsaída",
     LineForm::Plain,
     4,
     {{"GB", "rad/s"}, {"P", "rad/s"}, {"Ro", "Ω"}},
     0,
     {{"j"}},
     false},
    {'T',
     "Linha de transmissão",
     "nó_porta1 nó_comum nó_porta2 Z0 atraso",
     LineForm::Plain,
     3,
     {{"Z0", "Ω"}, {"atraso", "s", 0, P}},
     0,
     {},
     false},
    {'Y', "Girador", "nó1+ nó1- nó2+ nó2- Rg", LineForm::Plain, 4, {{"Rg", "Ω"}}, 0, {}, false},
    {'K', "Acoplamento", "L<nome1> L<nome2> k", LineForm::Coupling, 0, {{"k"}}, 0, {}, false},
    {'D',
     "Diodo",
     "nó+ nó- [Is [VT [C0 [C1]]]]",
     LineForm::Plain,
     2,
     {{"Is", "A", 1e-9, P}, {"VT", "V", Vt, P}, {"C0", "F", 5e-12, P}, {"C1", "F", 1e-16, P}},
     0,
     {},
     true},
    {'Q',
     "Transistor bipolar",
     "nóc nób nóe N|P [alfa alfar Isbe VTbe Isbc VTbc VA C0be C1be C0bc C1bc]",
     LineForm::Transistor,
     3,
     {{"alfa", "", 0.99, P},
      {"alfar", "", 0.5, P},
      {"Isbe", "A", 1e-9, P},
      {"VTbe", "V", Vt, P},
      {"Isbc", "A", 1e-9, P},
      {"VTbc", "V", Vt, P},
      {"VA", "V", 100, P},
      {"C0be", "F", 5e-12, P},
      {"C1be", "F", 1e-16, P},
      {"C0bc", "F", 5e-12, P},
      {"C1bc", "F", 1e-16, P}},
     0,
     {},
     true},
    {'M',
     "Transistor MOS",
     "nód nóg nós nób N|P L=comprimento W=largura [K VT0 Lambda Gama Fi Ld]",
     LineForm::Mos,
     4,
     {{"L", "m", 1e-6, P},
      {"W", "m", 1e-6, P},
      {"K", "A/V²", 1e-4, P},
      {"VT0", "V", 1, P},
      {"Lambda", "1/V", 0.01, P},
      {"Gama", "√V", 0.3, P},
      {"Fi", "V", 0.6, P},
      {"Ld", "m", 1e-7, P}},
     1,
     {},
     true},
    {'N',
     "Resistor linear por partes",
     "nó+ nó- v1 i1 v2 i2 v3 i3 v4 i4",
     LineForm::Points,
     2,
     {{"v1", "V", 0, P},
      {"i1", "A", 0, P},
      {"v2", "V", 0, P},
      {"i2", "A", 0, P},
      {"v3", "V", 0, P},
      {"i3", "A", 0, P},
      {"v4", "V", 0, P},
      {"i4", "A", 0, P}},
     -1,
     {},
     true},
};

} // namespace ElementTable

// Every type, in the order of the manual's list.
inline constexpr std::span<const ElementType> ElementTypes() { return ElementTable::Rows; }

// The type of an upper-case letter; nullptr when no element line starts with it.
constexpr const ElementType* FindElementType(char letter)
{
    for (const ElementType& type : ElementTable::Rows)
        if (type.letter == letter)
            return &type;
    return nullptr;
}

// The slot of that name, ASCII case ignored ("va" finds VA); -1 when the type has none.
int FindSlot(const ElementType& type, std::string_view name);

} // namespace talvor
