// The netlist reader: file lines to element records, with an echo of every element, the sweep of
// a ".AC" line and the numbering of the extra-current unknowns.
#include "netlist/netlist_reader.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/c_text.h"
#include "common/message_log.h"
#include "netlist/line_scanner.h"

namespace talvor {

namespace {

using Shown = DisplayText;

// Lines are read whole; anything past this many characters is skipped up to the line end, so
// the tail of a long line never reads as a line of its own.
constexpr size_t MaxLineLength = 4095;
using LineBuffer = char[MaxLineLength + 2]; // the characters, the line end and a NUL

constexpr double DegreesToRadians = 0.017453292519943295;

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

bool IsElementLetter(char letter)
{
    return letter != '\0' && std::strchr("RCLXIVGEFHYOATKDQMN", letter) != nullptr;
}

// One reading: the circuit being filled and where its reports go.
struct Reading {
    Circuit& circuit;
    MessageLog& log;
    bool ignoreAcLine;

    int Node(const char* name) { return LookupNode(circuit, log, name); }
};

void ReadTwoTerminal(Reading& r, Element& e, LineScanner& scan)
{
    Field p = "", n = "";
    scan.Text(p) && scan.Text(n) && scan.Number(e.values[0]);
    r.log.AppendLog("%s %s %s %g", Shown(e.name).c_str(), Shown(p).c_str(), Shown(n).c_str(),
                    e.values[0]);
    e.a = r.Node(p);
    e.b = r.Node(n);
}

// Time-domain descriptions become sinusoidal sources: a DC source has magnitude 0 and its value
// as DC level; a sine or pulse source becomes a unit cosine around its first parameter.
void ReadSource(Reading& r, Element& e, char* line)
{
    if (char* bracket = std::strchr(line, '('))
        *bracket = ' ';
    LineScanner scan(line + std::strlen(e.name));
    Field p = "", n = "", word = "";
    double first = 0, second = 0;
    scan.Text(p) && scan.Text(n) && scan.Text(word) && scan.Number(first) && scan.Number(second);
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
    r.log.AppendLog("%s %s %s (%g %g %g)", Shown(e.name).c_str(), Shown(p).c_str(),
                    Shown(n).c_str(), e.values[0], e.values[1], e.values[2]);
    e.values[1] *= DegreesToRadians;
    e.a = r.Node(p);
    e.b = r.Node(n);
}

// G, E, F, H, Y: output pair, controlling pair, one value.
void ReadFourTerminal(Reading& r, Element& e, LineScanner& scan)
{
    Field n[4] = {"", "", "", ""};
    scan.Text(n[0]) && scan.Text(n[1]) && scan.Text(n[2]) && scan.Text(n[3]) &&
        scan.Number(e.values[0]);
    r.log.AppendLog("%s %s %s %s %s %g", Shown(e.name).c_str(), Shown(n[0]).c_str(),
                    Shown(n[1]).c_str(), Shown(n[2]).c_str(), Shown(n[3]).c_str(), e.values[0]);
    e.a = r.Node(n[0]), e.b = r.Node(n[1]), e.c = r.Node(n[2]), e.d = r.Node(n[3]);
}

void ReadOpAmp(Reading& r, Element& e, LineScanner& scan)
{
    Field n[4] = {"", "", "", ""};
    scan.Text(n[0]) && scan.Text(n[1]) && scan.Text(n[2]) && scan.Text(n[3]);
    r.log.AppendLog("%s %s %s %s %s", Shown(e.name).c_str(), Shown(n[0]).c_str(),
                    Shown(n[1]).c_str(), Shown(n[2]).c_str(), Shown(n[3]).c_str());
    e.a = r.Node(n[0]), e.b = r.Node(n[1]), e.c = r.Node(n[2]), e.d = r.Node(n[3]);
}

void ReadAmplifier(Reading& r, Element& e, LineScanner& scan)
{
    Field n[4] = {"", "", "", ""};
    scan.Text(n[0]) && scan.Text(n[1]) && scan.Text(n[2]) && scan.Text(n[3]) &&
        scan.Number(e.values[0]) && scan.Number(e.values[1]) && scan.Number(e.values[2]);
    r.log.AppendLog("%s %s %s %s %s %g %g %g", Shown(e.name).c_str(), Shown(n[0]).c_str(),
                    Shown(n[1]).c_str(), Shown(n[2]).c_str(), Shown(n[3]).c_str(), e.values[0],
                    e.values[1], e.values[2]);
    e.a = r.Node(n[0]), e.b = r.Node(n[1]), e.c = r.Node(n[2]), e.d = r.Node(n[3]);
}

void ReadTransmissionLine(Reading& r, Element& e, LineScanner& scan)
{
    Field n[3] = {"", "", ""};
    scan.Text(n[0]) && scan.Text(n[1]) && scan.Text(n[2]) && scan.Number(e.values[0]) &&
        scan.Number(e.values[1]);
    r.log.AppendLog("%s %s %s %s %g %g", Shown(e.name).c_str(), Shown(n[0]).c_str(),
                    Shown(n[1]).c_str(), Shown(n[2]).c_str(), e.values[0], e.values[1]);
    e.a = r.Node(n[0]), e.b = r.Node(n[1]), e.c = r.Node(n[2]);
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

bool ReadCoupling(Reading& r, Element& e, LineScanner& scan)
{
    Field first = "", second = "";
    scan.Text(first) && scan.Text(second) && scan.Number(e.values[0]);
    r.log.AppendLog("%s %s %s %g", Shown(e.name).c_str(), Shown(first).c_str(),
                    Shown(second).c_str(), e.values[0]);
    int self = r.circuit.elementCount;
    e.a = FindInductor(r.circuit, first, self);
    e.b = FindInductor(r.circuit, second, self);
    if (e.a == 0 || e.b == 0) {
        r.log.AppendLog("Indutor não encontrado.");
        return false;
    }
    r.log.AppendLog("(%s está na linha %d, %s está na linha %d)", Shown(first).c_str(), e.a,
                    Shown(second).c_str(), e.b);
    double product = r.circuit.element(e.a).values[0] * r.circuit.element(e.b).values[0];
    if (!(product >= 0) || std::isinf(product)) {
        // The square root would give no number and carry it silently into every stamp.
        r.log.AppendLog("Indutâncias inválidas no acoplamento %s.", Shown(e.name).c_str());
        return false;
    }
    e.values[1] = std::sqrt(product) * e.values[0];
    return true;
}

void ReadDiode(Reading& r, Element& e, LineScanner& scan)
{
    const double defaults[] = {1e-9, 0.043429445, 5e-12, 1e-16};
    std::memcpy(e.values, defaults, sizeof defaults);
    Field p = "", n = "";
    scan.Text(p) && scan.Text(n) && scan.Number(e.values[0]) && scan.Number(e.values[1]) &&
        scan.Number(e.values[2]) && scan.Number(e.values[3]);
    r.log.AppendLog("%s %s %s %g %g %g %g", Shown(e.name).c_str(), Shown(p).c_str(),
                    Shown(n).c_str(), e.values[0], e.values[1], e.values[2], e.values[3]);
    e.a = r.Node(p);
    e.b = r.Node(n);
    r.circuit.hasNonlinear = true;
}

// Scans up to count numbers into values, stopping at the first that cannot be read.
void ScanNumbers(LineScanner& scan, double* values, int count)
{
    for (int k = 0; k < count && scan.Number(values[k]); ++k) {}
}

bool ReadBipolar(Reading& r, Element& e, LineScanner& scan)
{
    const double defaults[] = {0.99, 0.5,   1e-9,  0.043429445, 1e-9, 0.043429445,
                               100,  5e-12, 1e-16, 5e-12,       1e-16};
    std::memcpy(e.values, defaults, sizeof defaults);
    Field n[3] = {"", "", ""}, type = "";
    if (scan.Text(n[0]) && scan.Text(n[1]) && scan.Text(n[2]) && scan.Text(type))
        ScanNumbers(scan, e.values, 11);
    const double* v = e.values;
    r.log.AppendLog("%s %s %s %s %s %g %g %g %g %g %g %g %g %g %g %g", Shown(e.name).c_str(),
                    Shown(n[0]).c_str(), Shown(n[1]).c_str(), Shown(n[2]).c_str(),
                    Shown(type).c_str(), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9],
                    v[10]);
    e.a = r.Node(n[0]), e.b = r.Node(n[1]), e.c = r.Node(n[2]);
    char letter = AsciiUpper(type[0]);
    if (letter != 'N' && letter != 'P') {
        r.log.AppendLog("Transistor inválido %s.", Shown(e.name).c_str());
        return false;
    }
    e.y = letter;
    r.circuit.hasNonlinear = true;
    return true;
}

// The length and width may follow "L=" and "W=" or plain spaces: each separator is a run of its
// letter, "=" and spaces (not tabs, and not a lower-case letter, which ends the scan).
bool ReadMos(Reading& r, Element& e, LineScanner& scan)
{
    const double defaults[] = {1e-6, 1e-6, 1e-4, 1, 0.01, 0.3, 0.6, 1e-7};
    std::memcpy(e.values, defaults, sizeof defaults);
    Field n[4] = {"", "", "", ""}, type = "";
    char lengthSeparator[32] = "", widthSeparator[32] = "";
    if (scan.Text(n[0]) && scan.Text(n[1]) && scan.Text(n[2]) && scan.Text(n[3]) &&
        scan.Text(type) && scan.Run("L= ", lengthSeparator, sizeof lengthSeparator) &&
        scan.Number(e.values[0]) && scan.Run("W= ", widthSeparator, sizeof widthSeparator) &&
        scan.Number(e.values[1]))
        ScanNumbers(scan, e.values + 2, 6);
    const double* v = e.values;
    r.log.AppendLog("%s %s %s %s %s %s (%s) %g (%s) %g %g %g %g %g %g %g", Shown(e.name).c_str(),
                    Shown(n[0]).c_str(), Shown(n[1]).c_str(), Shown(n[2]).c_str(),
                    Shown(n[3]).c_str(), Shown(type).c_str(), lengthSeparator, v[0], widthSeparator,
                    v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    e.a = r.Node(n[0]), e.b = r.Node(n[1]), e.c = r.Node(n[2]), e.d = r.Node(n[3]);
    char letter = AsciiUpper(type[0]);
    if (letter != 'N' && letter != 'P') {
        r.log.AppendLog("Transistor inválido.");
        return false;
    }
    e.y = letter;
    r.circuit.hasNonlinear = true;
    return true;
}

bool ReadPiecewiseLinear(Reading& r, Element& e, LineScanner& scan)
{
    Field p = "", n = "";
    if (scan.Text(p) && scan.Text(n))
        ScanNumbers(scan, e.values, 8);
    if (scan.Converted() != 10) {
        int numbers = scan.Converted() > 2 ? scan.Converted() - 2 : 0;
        r.log.AppendLog("Número errado de parâmetros no resistor %s. Lidos %d e deviam ser 8.",
                        Shown(e.name).c_str(), numbers);
        return false;
    }
    const double* v = e.values;
    r.log.AppendLog("%s %s %s %g %g %g %g %g %g %g %g", Shown(e.name).c_str(), Shown(p).c_str(),
                    Shown(n).c_str(), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    e.a = r.Node(p);
    e.b = r.Node(n);
    r.circuit.hasNonlinear = true;
    return true;
}

// Fills element e (already named) from the rest of its line; false ends the reading.
bool ReadElement(Reading& r, Element& e, char* line)
{
    LineScanner scan(line + std::strlen(e.name));
    switch (e.Type()) {
    case 'R':
    case 'C':
    case 'L':
    case 'X':
        ReadTwoTerminal(r, e, scan);
        return true;
    case 'I':
    case 'V':
        ReadSource(r, e, line);
        return true;
    case 'G':
    case 'E':
    case 'F':
    case 'H':
    case 'Y':
        ReadFourTerminal(r, e, scan);
        return true;
    case 'O':
        ReadOpAmp(r, e, scan);
        return true;
    case 'A':
        ReadAmplifier(r, e, scan);
        return true;
    case 'T':
        ReadTransmissionLine(r, e, scan);
        return true;
    case 'K':
        return ReadCoupling(r, e, scan);
    case 'D':
        ReadDiode(r, e, scan);
        return true;
    case 'Q':
        return ReadBipolar(r, e, scan);
    case 'M':
        return ReadMos(r, e, scan);
    case 'N':
        return ReadPiecewiseLinear(r, e, scan);
    }
    return false;
}

// A command line: ".AC scale points fStart fEnd" sets the sweep; fields that are not read keep
// the sweep's earlier values. Any other command is reported and skipped.
void ReadCommand(Reading& r, const char* line)
{
    LineScanner scan(line);
    Field command = "";
    scan.Text(command);
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
    if (!IsElementLetter(line[0])) {
        r.log.AppendLog("Elemento desconhecido: %s", Shown(line).c_str());
        return false;
    }
    Circuit& circuit = r.circuit;
    if (circuit.elementCount == MaxElements) {
        r.log.AppendLog("O programa só aceita até %d elementos.", MaxElements);
        return false;
    }
    Element& e = circuit.element(++circuit.elementCount);
    LineScanner(line).Text(e.name);
    return ReadElement(r, e, line);
}

// Appends the unknown named prefix + element name; false when the table is full.
bool AddExtraCurrent(Circuit& circuit, const char* prefix, const Element& e, int& number)
{
    if (circuit.variableCount >= MaxVariables)
        return false;
    number = ++circuit.variableCount;
    // Built apart: the name and the slot both live in the circuit.
    char name[VariableNameSize];
    std::snprintf(name, sizeof name, "%s%s", prefix, e.name);
    std::memcpy(circuit.nodeTable.names[number], name, sizeof name);
    return true;
}

// Gives the elements whose equations need a current their unknowns, after the nodes.
bool AllocateExtraCurrents(Circuit& circuit, MessageLog& log)
{
    for (int k = 1; k <= circuit.elementCount; ++k) {
        Element& e = circuit.element(k);
        bool fits = true;
        switch (e.Type()) {
        case 'V':
        case 'E':
        case 'F':
        case 'O':
        case 'L':
        case 'A':
            fits = AddExtraCurrent(circuit, "j", e, e.x);
            break;
        case 'H':
            fits = circuit.variableCount + 2 <= MaxVariables &&
                   AddExtraCurrent(circuit, "jx", e, e.x) && AddExtraCurrent(circuit, "jy", e, e.y);
            break;
        case 'K':
            e.x = circuit.element(e.a).x;
            e.y = circuit.element(e.b).x;
            break;
        }
        if (!fits) {
            log.AppendLog("As correntes extra excederam o número de variáveis permitido (%d).",
                          MaxVariables);
            return false;
        }
    }
    return true;
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

bool ReadNetlist(Circuit& circuit, MessageLog& log, const std::string& path, bool ignoreAcLine)
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

    Reading reading{circuit, log, ignoreAcLine};
    LineBuffer line;
    file.ReadLine(line); // the title
    while (file.ReadLine(line))
        if (!ReadNetlistLine(reading, line))
            return false;
    if (file.ReadFailed()) {
        log.AppendLog("Erro de leitura no arquivo %s.", Shown(circuit.netlistPath).c_str());
        return false;
    }
    if (circuit.RunFailed) {
        log.AppendLog("Análise interrompida.");
        return false;
    }

    circuit.nodeCount = circuit.variableCount;
    if (!AllocateExtraCurrents(circuit, log))
        return false;
    log.AppendLog("Variáveis: ");
    for (int k = 0; k <= circuit.variableCount; ++k)
        log.AppendLog("%d: %s", k, Shown(circuit.nodeTable[k]).c_str());
    log.AppendLog("O circuito tem %d nós, %d variáveis e %d elementos.", circuit.nodeCount,
                  circuit.variableCount, circuit.elementCount);
    return true;
}

} // namespace talvor
