// The netlist reader: file lines to element records, with an echo of every element, the sweep of
// a ".AC" line and the numbering of the extra-current unknowns.
#include "netlist/netlist_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/c_text.h"
#include "common/message_log.h"
#include "netlist/element_types.h"
#include "netlist/line_scanner.h"
#include "netlist/reader_notes.h"

namespace talvor {

namespace {

using Shown = DisplayText;

// Lines are read whole; anything past this many characters is skipped up to the line end, so
// the tail of a long line never reads as a line of its own.
constexpr size_t MaxLineLength = 4095;
using LineBuffer = char[MaxLineLength + 2]; // the characters, the line end and a NUL

// Reads text lines into a fixed buffer. Only regular files are opened: a directory, a pipe or a
// device would read as an empty netlist or never end.
class NetlistFile {
public:
    explicit NetlistFile(const std::string& path)
    {
        std::error_code error;
        if (std::filesystem::is_regular_file(path, error))
            file_ = std::fopen(path.c_str(), "r");
    }
    ~NetlistFile()
    {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    NetlistFile(const NetlistFile&) = delete;
    NetlistFile& operator=(const NetlistFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    bool ReadFailed() const { return std::ferror(file_) != 0; }

    // The next line with its line end ("\r\n" read as "\n"), false at the end of the file. A NUL
    // byte ends the line's text, as it does for every C string.
    bool ReadLine(LineBuffer& line)
    {
        size_t length = 0;
        bool cut = false;
        int previous = EOF;
        int c = EOF;
        while ((c = std::getc(file_)) != EOF && c != '\n') {
            if (length < MaxLineLength)
                line[length++] = static_cast<char>(c);
            else
                cut = true;
            previous = c;
        }
        if (c == '\n') {
            if (previous == '\r' && !cut)
                --length;
            line[length++] = '\n';
        }
        line[length] = '\0';
        return c != EOF || length > 0;
    }

private:
    std::FILE* file_ = nullptr;
};

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// One reading: the circuit being filled, where its reports go, and the file line it is at
// (the title is line 1).
struct Reading {
    Circuit& circuit;
    MessageLog& log;
    bool ignoreAcLine;
    std::span<const ValueOverride> overrides;
    int line = 1;
    int elementLines[MaxElements + 1] = {}; // the file line of each element

    int Node(const char* name) { return LookupNode(circuit, log, name); }
    // A line that only a SPICE deck holds; the first is remembered for the end of the run.
    void SpiceLine(std::string_view word)
    {
        if (circuit.spiceDeckLine == 0) {
            circuit.spiceDeckLine = line;
            circuit.spiceDeckWord = word;
        }
    }
};

// Writes the run's replacements over the values just scanned, before the echo shows them.
void ApplyOverrides(const Reading& r, Element& e)
{
    for (const ValueOverride& o : r.overrides)
        if (o.element == e.name)
            e.values[o.slot] = o.value;
}

// After an element's echo: the first of its numbers that letters or a comma followed.
void NoteGlued(Reading& r, const char* name, const LineScanner& scan)
{
    if (const std::optional<GluedNumber> glued = scan.FirstGlued())
        NoteGluedNumber(r.log, r.line, name, *glued);
}

// The echo of an element as it was understood: fields separated by one blank, as the fields of
// a "%s %s %g" format would be.
class Echo {
public:
    explicit Echo(const char* name) { Add("%s", Shown(name).c_str()); }

    void Add(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        if (length_ > 0 && length_ < sizeof line_ - 1)
            line_[length_++] = ' ';
        std::va_list arguments;
        va_start(arguments, format);
        const int written =
            std::vsnprintf(line_ + length_, sizeof line_ - length_, format, arguments);
        va_end(arguments);
        if (written > 0)
            length_ = std::min(length_ + static_cast<size_t>(written), sizeof line_ - 1);
    }
    void Texts(const Field* fields, int count)
    {
        for (int k = 0; k < count; ++k)
            Add("%s", Shown(fields[k]).c_str());
    }
    void Numbers(const double* values, int count)
    {
        for (int k = 0; k < count; ++k)
            Add("%g", values[k]);
    }
    void Log(MessageLog& log) const { log.AppendLog("%s", line_); }

private:
    char line_[MessageLog::LineBufferSize] = "";
    size_t length_ = 0;
};

// Scans count text fields; false at the first that cannot be read.
bool ScanTexts(LineScanner& scan, Field* fields, int count)
{
    for (int k = 0; k < count; ++k)
        if (!scan.Text(fields[k]))
            return false;
    return true;
}

// Scans up to count numbers into values, stopping at the first that cannot be read.
void ScanNumbers(LineScanner& scan, double* values, int count)
{
    for (int k = 0; k < count && scan.Number(values[k]); ++k) {}
}

// The node fields into a, b, c, d, in this order, after the echo.
void LookUpNodes(Reading& r, Element& e, const Field* nodes, int count)
{
    int* fields[] = {&e.a, &e.b, &e.c, &e.d};
    for (int k = 0; k < count; ++k)
        *fields[k] = r.Node(nodes[k]);
}

// The end of a line of nodes and values: the run's replacements, the echo, the note of a misread
// number and the nodes numbered.
void EchoNodesAndValues(Reading& r, Element& e, const ElementType& type, const Field* nodes,
                        const LineScanner& scan)
{
    ApplyOverrides(r, e);
    Echo echo(e.name);
    echo.Texts(nodes, type.nodes);
    echo.Numbers(e.values, type.SlotCount());
    echo.Log(r.log);
    NoteGlued(r, e.name, scan);
    LookUpNodes(r, e, nodes, type.nodes);
}

// The nodes, then the values.
void ReadPlain(Reading& r, Element& e, const ElementType& type, LineScanner& scan)
{
    Field nodes[4] = {"", "", "", ""};
    if (ScanTexts(scan, nodes, type.nodes))
        ScanNumbers(scan, e.values, type.SlotCount());
    EchoNodesAndValues(r, e, type, nodes, scan);
}

// Whether a field read as text starts with a number.
bool StartsWithNumber(const char* word)
{
    double value = 0;
    return ScanDecimal(word, value);
}

bool IsAc(const Field& word)
{
    return AsciiUpper(word[0]) == 'A' && AsciiUpper(word[1]) == 'C' && word[2] == '\0';
}

// A source line's words that its reading took otherwise than a SPICE user meant: a magnitude
// written "1k", the SPICE form "AC 1" alone or after "DC 5", or another word for the magnitude.
void NoteSourceLine(Reading& r, const Element& e, const Field nodes[2], const Field& word,
                    double first, double second, LineScanner& scan)
{
    const char kind = AsciiUpper(word[0]);
    if (kind == 'D') {
        // "DC 5 AC 1": the scan stopped at "AC".
        LineScanner rest(scan.Rest());
        Field ac = "";
        double magnitude = 0, phase = 0;
        if (rest.Text(ac) && IsAc(ac) && rest.Number(magnitude)) {
            rest.Number(phase);
            NoteSpiceAcSource(r.log, r.line, e, nodes, magnitude, phase, first);
        }
    } else if (kind == 'S' || kind == 'P') {
        // converted as the line says
    } else if (IsAc(word)) {
        NoteSpiceAcSource(r.log, r.line, e, nodes, first, second, 0);
    } else if (const std::optional<GluedNumber> glued = GluedNumberIn(word)) {
        NoteGluedNumber(r.log, r.line, e.name, *glued);
    } else if (word[0] != '\0' && !StartsWithNumber(word)) {
        NoteSourceWord(r.log, r.line, e, word);
    }
    NoteGlued(r, e.name, scan);
}

// Time-domain descriptions become sinusoidal sources: a DC source has magnitude 0 and its value
// as DC level; a sine or pulse source becomes a unit cosine around its first parameter. The
// echo shows the phase in degrees, as the line gives it.
void ReadSource(Reading& r, Element& e, const ElementType& type, char* line)
{
    if (char* bracket = std::strchr(line, '('))
        *bracket = ' ';
    LineScanner scan(line + std::strlen(e.name));
    Field nodes[2] = {"", ""}, word = "";
    double first = 0, second = 0;
    ScanTexts(scan, nodes, 2) && scan.Text(word) && scan.Number(first) && scan.Number(second);
    switch (AsciiUpper(word[0])) {
    case 'D':
        r.log.AppendLog("Fonte CC convertida:");
        e.values[0] = 0, e.values[1] = 0, e.values[2] = first;
        break;
    case 'S':
        r.log.AppendLog("Fonte senoidal convertida:");
        e.values[0] = 1, e.values[1] = 0, e.values[2] = first;
        break;
    case 'P':
        r.log.AppendLog("Fonte pulsada convertida:");
        e.values[0] = 1, e.values[1] = 0, e.values[2] = first;
        break;
    default:
        e.values[0] = DecimalPrefix(word), e.values[1] = first, e.values[2] = second;
    }
    ApplyOverrides(r, e);
    Echo echo(e.name);
    echo.Texts(nodes, type.nodes);
    echo.Add("(%g %g %g)", e.values[0], e.values[1], e.values[2]);
    echo.Log(r.log);
    NoteSourceLine(r, e, nodes, word, first, second, scan);
    LookUpNodes(r, e, nodes, type.nodes);
}

// The last inductor L before element `before` named name, 0 when there is none. Only an L has
// the current variable that the coupling's equations need.
int FindInductor(const Circuit& circuit, const char* name, int before)
{
    int found = 0;
    for (int p = 1; p < before; ++p) {
        const Element& candidate = circuit.element(p);
        if (candidate.Type() == 'L' && std::strcmp(candidate.name, name) == 0)
            found = p;
    }
    return found;
}

bool ReadCoupling(Reading& r, Element& e, const ElementType& type, LineScanner& scan)
{
    Field inductors[2] = {"", ""};
    if (ScanTexts(scan, inductors, 2))
        ScanNumbers(scan, e.values, type.SlotCount());
    ApplyOverrides(r, e);
    Echo echo(e.name);
    echo.Texts(inductors, 2);
    echo.Numbers(e.values, type.SlotCount());
    echo.Log(r.log);
    NoteGlued(r, e.name, scan);
    int self = r.circuit.elementCount;
    e.a = FindInductor(r.circuit, inductors[0], self);
    e.b = FindInductor(r.circuit, inductors[1], self);
    if (e.a == 0 || e.b == 0) {
        r.log.AppendLog("Indutor não encontrado.");
        const char* missing = e.a == 0 ? inductors[0] : inductors[1];
        r.log.AppendLog("linha %d: %s não é um indutor L declarado antes de %s.", r.line,
                        Shown(missing).c_str(), Shown(e.name).c_str());
        return false;
    }
    r.log.AppendLog("(%s está na linha %d, %s está na linha %d)", Shown(inductors[0]).c_str(), e.a,
                    Shown(inductors[1]).c_str(), e.b);
    double product = r.circuit.element(e.a).values[0] * r.circuit.element(e.b).values[0];
    if (!(product >= 0) || std::isinf(product)) {
        // The square root would give no number and carry it silently into every stamp.
        r.log.AppendLog("Indutâncias inválidas no acoplamento %s.", Shown(e.name).c_str());
        r.log.AppendLog("linha %d: %s tem %g H e %s, %g H; o acoplamento pede indutâncias do "
                        "mesmo sinal.",
                        r.line, Shown(inductors[0]).c_str(), r.circuit.element(e.a).values[0],
                        Shown(inductors[1]).c_str(), r.circuit.element(e.b).values[0]);
        return false;
    }
    e.values[1] = std::sqrt(product) * e.values[0];
    return true;
}

// The type word of a transistor into y; false when it does not start with N or P.
bool TakeTypeWord(Element& e, const Field& word)
{
    const char letter = AsciiUpper(word[0]);
    if (letter != 'N' && letter != 'P')
        return false;
    e.y = letter;
    return true;
}

bool ReadBipolar(Reading& r, Element& e, const ElementType& type, LineScanner& scan)
{
    Field nodes[4] = {"", "", "", ""}, word = "";
    if (ScanTexts(scan, nodes, type.nodes) && scan.Text(word))
        ScanNumbers(scan, e.values, type.SlotCount());
    ApplyOverrides(r, e);
    Echo echo(e.name);
    echo.Texts(nodes, type.nodes);
    echo.Texts(&word, 1);
    echo.Numbers(e.values, type.SlotCount());
    echo.Log(r.log);
    NoteGlued(r, e.name, scan);
    LookUpNodes(r, e, nodes, type.nodes);
    if (!TakeTypeWord(e, word)) {
        r.log.AppendLog("Transistor inválido %s.", Shown(e.name).c_str());
        NoteTransistorType(r.log, r.line, e, word);
        return false;
    }
    return true;
}

// The length and width may follow "L=" and "W=" or plain spaces: each separator is a run of its
// letter, "=" and spaces (not tabs, and not a lower-case letter, which ends the scan).
bool ReadMos(Reading& r, Element& e, const ElementType& type, LineScanner& scan)
{
    Field nodes[4] = {"", "", "", ""}, word = "";
    char lengthSeparator[32] = "", widthSeparator[32] = "";
    double* v = e.values;
    const bool typeRead = ScanTexts(scan, nodes, type.nodes) && scan.Text(word);
    const bool sizesRead =
        typeRead && scan.Run("L= ", lengthSeparator, sizeof lengthSeparator) && scan.Number(v[0]) &&
        scan.Run("W= ", widthSeparator, sizeof widthSeparator) && scan.Number(v[1]);
    if (sizesRead)
        ScanNumbers(scan, v + 2, type.SlotCount() - 2);
    ApplyOverrides(r, e);
    Echo echo(e.name);
    echo.Texts(nodes, type.nodes);
    echo.Texts(&word, 1);
    echo.Add("(%s)", lengthSeparator);
    echo.Add("%g", v[0]);
    echo.Add("(%s)", widthSeparator);
    echo.Numbers(v + 1, type.SlotCount() - 1);
    echo.Log(r.log);
    if (scan.FirstGlued())
        NoteGlued(r, e.name, scan);
    else if (typeRead && !sizesRead && *scan.Rest() != '\n' && *scan.Rest() != '\0')
        NoteMosSeparator(r.log, r.line, e, scan.Rest());
    LookUpNodes(r, e, nodes, type.nodes);
    if (!TakeTypeWord(e, word)) {
        r.log.AppendLog("Transistor inválido.");
        NoteTransistorType(r.log, r.line, e, word);
        return false;
    }
    return true;
}

// Every value must be on the line.
bool ReadPoints(Reading& r, Element& e, const ElementType& type, LineScanner& scan)
{
    Field nodes[4] = {"", "", "", ""};
    if (ScanTexts(scan, nodes, type.nodes))
        ScanNumbers(scan, e.values, type.SlotCount());
    if (scan.Converted() != type.nodes + type.SlotCount()) {
        int numbers = scan.Converted() > type.nodes ? scan.Converted() - type.nodes : 0;
        r.log.AppendLog("Número errado de parâmetros no resistor %s. Lidos %d e deviam ser 8.",
                        Shown(e.name).c_str(), numbers);
        if (scan.FirstGlued())
            NoteGlued(r, e.name, scan);
        else
            r.log.AppendLog("linha %d: %s pede os 8 números v1 i1 v2 i2 v3 i3 v4 i4.", r.line,
                            Shown(e.name).c_str());
        return false;
    }
    EchoNodesAndValues(r, e, type, nodes, scan);
    return true;
}

// Fills element e (already named) from the rest of its line; false ends the reading.
bool ReadElement(Reading& r, Element& e, const ElementType& type, char* line)
{
    for (int k = 0; k < type.SlotCount(); ++k)
        e.values[k] = type.slots[k].defaultValue;
    LineScanner scan(line + std::strlen(e.name));
    bool read = true;
    switch (type.form) {
    case LineForm::Plain:
        ReadPlain(r, e, type, scan);
        break;
    case LineForm::Source:
        ReadSource(r, e, type, line);
        break;
    case LineForm::Coupling:
        read = ReadCoupling(r, e, type, scan);
        break;
    case LineForm::Transistor:
        read = ReadBipolar(r, e, type, scan);
        break;
    case LineForm::Mos:
        read = ReadMos(r, e, type, scan);
        break;
    case LineForm::Points:
        read = ReadPoints(r, e, type, scan);
        break;
    }
    if (!read)
        return false;
    // The echo showed the values as the line gives them; the record holds them in its units.
    for (int k = 0; k < type.SlotCount(); ++k)
        if (type.slots[k].storedPerUnit != 1)
            e.values[k] *= type.slots[k].storedPerUnit;
    if (type.nonlinear)
        r.circuit.hasNonlinear = true;
    return true;
}

// A command line: ".AC scale points fStart fEnd" sets the sweep; fields that are not read keep
// the sweep's earlier values. Any other command is reported and skipped.
void ReadCommand(Reading& r, const char* line)
{
    LineScanner scan(line);
    Field command = "";
    scan.Text(command);
    if (IsSpiceCommand(command))
        r.SpiceLine(command);
    if (std::strcmp(command, ".AC") != 0) {
        r.log.AppendLog("Linha de comando não reconhecida: %s", Shown(line).c_str());
        return;
    }
    SweepSpec& sweep = r.circuit.sweep;
    Field scale = "";
    scan.Text(scale) && scan.Integer(sweep.points) && scan.Number(sweep.fStart) &&
        scan.Number(sweep.fEnd);
    r.log.AppendLog("%s %s %d %g %g", ".AC", Shown(scale).c_str(), sweep.points, sweep.fStart,
                    sweep.fEnd);
    NoteGlued(r, ".AC", scan);
    if (std::strcmp(scale, "LIN") == 0) {
        sweep.mode = 0;
    } else if (std::strcmp(scale, "LOG") == 0 || std::strcmp(scale, "DEC") == 0) {
        sweep.mode = 1;
    } else if (std::strcmp(scale, "OCT") == 0) {
        sweep.mode = 2;
    } else {
        r.log.AppendLog("Formato de escala não reconhecido: %s. Assumido LIN.",
                        Shown(scale).c_str());
        sweep.mode = 0;
    }
    r.circuit.useSettingsSweep = r.ignoreAcLine;
}

// One line after the title; false ends the reading (the reason has been logged).
bool ReadNetlistLine(Reading& r, char* line)
{
    line[0] = AsciiUpper(line[0]);
    if (line[0] == '*')
        return true;
    if (line[0] == '.') {
        ReadCommand(r, line);
        return true;
    }
    const ElementType* type = FindElementType(line[0]);
    if (type == nullptr) {
        r.log.AppendLog("Elemento desconhecido: %s", Shown(line).c_str());
        if (line[0] == '+')
            r.SpiceLine("+");
        NoteUnknownLine(r.log, r.line, line);
        return false;
    }
    Circuit& circuit = r.circuit;
    if (circuit.elementCount == MaxElements) {
        r.log.AppendLog("O programa só aceita até %d elementos.", MaxElements);
        r.log.AppendLog("linha %d: o elemento %d passaria do limite.", r.line, MaxElements + 1);
        return false;
    }
    Element& e = circuit.element(++circuit.elementCount);
    r.elementLines[circuit.elementCount] = r.line;
    LineScanner(line).Text(e.name);
    return ReadElement(r, e, *type, line);
}

// Appends the unknown named prefix + element name; the caller has checked that it fits.
void AddExtraCurrent(Circuit& circuit, const char* prefix, const Element& e, int& number)
{
    number = ++circuit.variableCount;
    // Built apart: the name and the slot both live in the circuit.
    char name[VariableNameSize];
    std::snprintf(name, sizeof name, "%s%s", prefix, e.name);
    std::memcpy(circuit.nodeTable.names[number], name, sizeof name);
}

// Gives the elements whose equations need a current their unknowns, after the nodes; a
// coupling takes the currents of its two inductors. Returns 0, or the first element whose
// currents do not fit (logged).
int AllocateExtraCurrents(Circuit& circuit, MessageLog& log)
{
    for (int k = 1; k <= circuit.elementCount; ++k) {
        Element& e = circuit.element(k);
        const ElementType& type = *FindElementType(e.Type());
        if (type.form == LineForm::Coupling) {
            e.x = circuit.element(e.a).x;
            e.y = circuit.element(e.b).x;
            continue;
        }
        const int count = type.CurrentCount();
        if (circuit.variableCount + count > MaxVariables) {
            log.AppendLog("As correntes extra excederam o número de variáveis permitido (%d).",
                          MaxVariables);
            return k;
        }
        int* numbers[] = {&e.x, &e.y};
        for (int c = 0; c < count; ++c)
            AddExtraCurrent(circuit, type.currents[c].prefix, e, *numbers[c]);
    }
    return 0;
}

} // namespace

NetlistPaths NetlistPathsFor(const std::string& path)
{
    // The dot rules look at the file name only: folders may hold dots of their own.
    size_t separator = path.find_last_of("/\\");
    size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    size_t dot = path.find('.', nameStart);
    NetlistPaths paths;
    paths.netlistPath = dot == std::string::npos ? path + ".net" : path;
    paths.tablePath = path.substr(0, dot) + ".tab";
    return paths;
}

bool ReadNetlist(Circuit& circuit, MessageLog& log, const std::string& path, bool ignoreAcLine,
                 std::span<const ValueOverride> overrides)
{
    circuit.Reset();
    NetlistPaths paths = NetlistPathsFor(path);
    circuit.netlistPath = paths.netlistPath;
    circuit.tablePath = paths.tablePath;

    NetlistFile file(circuit.netlistPath);
    if (!file.IsOpen()) {
        log.AppendLog("Arquivo %s inexistente.", Shown(circuit.netlistPath).c_str());
        return false;
    }
    if (circuit.tablePath == circuit.netlistPath) {
        // A netlist named like its table (circ.tab) would be overwritten by the results.
        log.AppendLog("O netlist %s seria sobrescrito pela tabela.",
                      Shown(circuit.netlistPath).c_str());
        return false;
    }
    circuit.useSettingsSweep = true;
    log.AppendLog("Lendo netlist %s:", Shown(circuit.netlistPath).c_str());

    Reading reading{circuit, log, ignoreAcLine, overrides};
    LineBuffer line;
    file.ReadLine(line);     // the title
    int firstNodeBeyond = 0; // the line of the first node that did not fit
    while (file.ReadLine(line)) {
        ++reading.line;
        const bool nodesFitted = !circuit.RunFailed;
        if (!ReadNetlistLine(reading, line))
            return false;
        if (nodesFitted && circuit.RunFailed)
            firstNodeBeyond = reading.line;
    }
    if (file.ReadFailed()) {
        log.AppendLog("Erro de leitura no arquivo %s.", Shown(circuit.netlistPath).c_str());
        log.AppendLog("linha %d: a leitura falhou depois desta linha.", reading.line);
        return false;
    }
    if (circuit.RunFailed) {
        log.AppendLog("Análise interrompida.");
        log.AppendLog("linha %d: o primeiro nó além do limite de %d.", firstNodeBeyond, MaxNodes);
        return false;
    }

    circuit.nodeCount = circuit.variableCount;
    if (const int beyond = AllocateExtraCurrents(circuit, log)) {
        log.AppendLog("linha %d: %s é o primeiro elemento cuja corrente não cabe.",
                      reading.elementLines[beyond], Shown(circuit.element(beyond).name).c_str());
        return false;
    }
    log.AppendLog("Variáveis: ");
    for (int k = 0; k <= circuit.variableCount; ++k)
        log.AppendLog("%d: %s", k, Shown(circuit.nodeTable[k]).c_str());
    log.AppendLog("O circuito tem %d nós, %d variáveis e %d elementos.", circuit.nodeCount,
                  circuit.variableCount, circuit.elementCount);
    return true;
}

} // namespace talvor
