// Responses read from tables for measurement: header names, column pairing and data columns.
#include "plot/measure_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/c_text.h"
#include "common/message_log.h"
#include "plot/measure_report.h"

namespace talvor {

namespace {

// A table opened for reading line by line, closed at the end of the scope.
class OpenTable {
public:
    OpenTable(const char* path, LineReader& reader) : file_(OpenTableFile(path))
    {
        if (file_ != nullptr)
            reader.Start(file_);
    }
    ~OpenTable()
    {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    OpenTable(const OpenTable&) = delete;
    OpenTable& operator=(const OpenTable&) = delete;
    bool IsOpen() const { return file_ != nullptr; }

private:
    std::FILE* file_;
};

bool IsWholeNumber(const char* word, const char* end)
{
    char* stop = nullptr;
    std::strtod(word, &stop);
    return stop == end && end != word;
}

// A line names columns when one of its words is not a number (a word such as "2f" that a scan
// would read as 2 included).
bool IsHeaderLine(const char* line)
{
    for (const char* word = SkipBlanks(line); *word != '\0'; word = SkipBlanks(WordEnd(word)))
        if (!IsWholeNumber(word, WordEnd(word)))
            return true;
    return false;
}

// The words of a table's first line when it names the columns.
class TableHeader {
public:
    // False when the file cannot be opened.
    bool Read(const char* path, LineReader& reader)
    {
        words_.clear();
        OpenTable table(path, reader);
        if (!table.IsOpen())
            return false;
        char* line = nullptr;
        size_t length = 0;
        if (!reader.Next(line, length) || !IsHeaderLine(line))
            return true;
        for (const char* word = SkipBlanks(line); *word != '\0'; word = SkipBlanks(WordEnd(word)))
            words_.emplace_back(word, WordEnd(word));
        return true;
    }

    // The name of column k (from 1); empty when there is none.
    std::string_view Word(int k) const
    {
        return k >= 1 && k <= Count() ? std::string_view(words_[k - 1]) : std::string_view();
    }

    // The first column named name, 0 when there is none.
    int Column(std::string_view name) const
    {
        for (int k = 1; k <= Count() && k <= MaxTableColumns; ++k)
            if (Word(k) == name)
                return k;
        return 0;
    }

    int Count() const { return static_cast<int>(words_.size()); }

private:
    std::vector<std::string> words_;
};

// Columns (numbered from 1) of the data lines of a table, at most MaxPoints rows. After the
// header, a line is a row when its first word and the words of every wanted column are numbers
// (as the curve reader scans them); any other line (text, a short line) is passed over.
struct ColumnRead {
    const int* columns;
    double* const* outputs;
    int count;
    int rows = 0;
    bool truncated = false; // rows were left after the capacity was filled
};

bool ReadRow(const char* line, ColumnRead& read)
{
    const char* word = SkipBlanks(line);
    double value;
    if (*word == '\0' || !ScanTableNumber(word, value))
        return false;
    int found = 0;
    for (int column = 1; *word != '\0' && found < read.count; ++column) {
        for (int k = 0; k < read.count; ++k) {
            if (read.columns[k] != column)
                continue;
            if (!ScanTableNumber(word, value))
                return false;
            read.outputs[k][read.rows] = value;
            ++found;
        }
        word = SkipBlanks(WordEnd(word));
    }
    return found == read.count;
}

bool ReadColumns(const char* path, LineReader& reader, ColumnRead& read)
{
    OpenTable table(path, reader);
    if (!table.IsOpen())
        return false;
    char* line = nullptr;
    size_t length = 0;
    bool firstLine = true;
    while (reader.Next(line, length)) {
        bool header = firstLine && IsHeaderLine(line);
        firstLine = false;
        if (header)
            continue;
        if (read.rows == MaxPoints) {
            read.truncated = true;
            break;
        }
        if (ReadRow(line, read))
            ++read.rows;
    }
    return true;
}

bool EndsWith(std::string_view word, char c) { return word.size() > 1 && word.back() == c; }

// What the whole table says about its units, from every column that its header names as a
// magnitude ("<name>m") or a phase ("<name>f"), after the first: a table written by the sweep
// has one unit for all of them, so a node whose phase stays within +/-pi does not pass for
// radians beside one that turns by 90 degrees.
UnitEvidence TableEvidence(const char* path, LineReader& reader)
{
    UnitEvidence evidence;
    TableHeader header;
    header.Read(path, reader);
    std::vector<char> kinds(static_cast<size_t>(header.Count()) + 1, 0);
    bool anyNamed = false;
    for (int k = 2; k <= header.Count(); ++k) {
        std::string_view name = header.Word(k);
        kinds[k] = EndsWith(name, 'm') ? 'm' : EndsWith(name, 'f') ? 'f' : 0;
        anyNamed = anyNamed || kinds[k] != 0;
    }
    OpenTable table(path, reader);
    if (!anyNamed || !table.IsOpen())
        return evidence;
    char* line = nullptr;
    size_t length = 0;
    reader.Next(line, length); // the header
    while (!(evidence.negativeMagnitude && evidence.phaseBeyondPi) && reader.Next(line, length)) {
        const char* word = SkipBlanks(line);
        double value;
        for (int k = 1; *word != '\0' && k <= header.Count(); ++k) {
            if (kinds[k] != 0 && ScanTableNumber(word, value)) {
                if (kinds[k] == 'm')
                    evidence.AddMagnitude(value);
                else
                    evidence.AddPhase(value);
            }
            word = SkipBlanks(WordEnd(word));
        }
    }
    return evidence;
}

// The table-wide evidence of the last table scanned, which the curves of one table share.
class EvidenceCache {
public:
    const UnitEvidence& Of(const char* path, LineReader& reader)
    {
        if (!scanned_ || path_ != path) {
            evidence_ = TableEvidence(path, reader);
            path_ = path;
            scanned_ = true;
        }
        return evidence_;
    }

private:
    bool scanned_ = false;
    std::string path_;
    UnitEvidence evidence_;
};

// Settles the units that are not stated (from the whole table, then the points), logs the block
// and returns what it says.
ResponseMeasures MeasureAndLog(const ResponsePoints& points, const ResponseUnits& stated,
                               const char* path, EvidenceCache& tables, LineReader& reader,
                               MessageLog& log)
{
    bool allStated = stated.magnitude != MagnitudeUnit::Unknown &&
                     stated.phase != PhaseUnit::Unknown &&
                     stated.frequency != FrequencyUnit::Unknown;
    UnitEvidence evidence;
    if (!allStated)
        evidence = tables.Of(path, reader);
    evidence.Add(points);
    SettledUnits units = SettleUnits(evidence, stated);
    const ResponseMeasures measures = MeasureResponse(points, units);
    LogMeasures(log, measures, units);
    return measures;
}

// The phase column that the header pairs with a magnitude column "<name>m": "<name>f"; 0 when
// there is none.
int PairedPhaseColumn(const TableHeader& header, std::string_view magnitudeName)
{
    if (!EndsWith(magnitudeName, 'm'))
        return 0;
    std::string phaseName(magnitudeName.substr(0, magnitudeName.size() - 1));
    phaseName += 'f';
    return header.Column(phaseName);
}

// The phase of the curve's points from column phaseColumn of its table, when that column has a
// value on every row of the curve and the rows' frequencies are the curve's.
bool ReadPairedPhase(const Curve& curve, int phaseColumn, MeasureScratch& scratch)
{
    const int columns[] = {curve.xColumn, phaseColumn};
    double* const outputs[] = {scratch.frequency.data(), scratch.phase.data()};
    ColumnRead read{columns, outputs, 2};
    if (!ReadColumns(curve.fileName, scratch.reader, read) || read.rows != curve.pointCount)
        return false;
    for (int i = 0; i < read.rows; ++i)
        if (scratch.frequency[i] != curve.x[i])
            return false;
    return true;
}

// Whether path names the written table, by whatever spelling of its path.
bool IsWrittenTable(const char* path, const WrittenTable& written)
{
    std::error_code error;
    return !written.path.empty() && std::filesystem::equivalent(path, written.path, error);
}

void MeasureCurve(const Curve& curve, int k, const ResponseUnits& units, EvidenceCache& tables,
                  MeasureScratch& scratch, MessageLog& log)
{
    TableHeader header;
    header.Read(curve.fileName, scratch.reader);
    std::string yWord(header.Word(curve.yColumn));
    DisplayText file(curve.fileName), xName(curve.xName), yName(curve.yName);
    if (EndsWith(yWord, 'f')) {
        log.AppendLog("Medidas da curva %d (%s, %s x %s): curva de fase, sem medidas próprias.", k,
                      file.c_str(), xName.c_str(), yName.c_str());
        return;
    }
    int phaseColumn = PairedPhaseColumn(header, yWord);
    std::string phaseName(header.Word(phaseColumn));
    if (phaseColumn == 0)
        log.AppendLog("Medidas da curva %d (%s, %s x %s):", k, file.c_str(), xName.c_str(),
                      yName.c_str());
    else
        log.AppendLog("Medidas da curva %d (%s, %s x %s, fase em %s):", k, file.c_str(),
                      xName.c_str(), yName.c_str(), DisplayText(phaseName).c_str());
    if (curve.operation == '+' || curve.operation == '-')
        log.AppendLog("  A operação %c não entra nas medidas: valores da coluna %s.",
                      curve.operation, yName.c_str());

    ResponsePoints points{curve.x.data(), curve.y.data(), nullptr, curve.pointCount};
    if (phaseColumn != 0) {
        if (ReadPairedPhase(curve, phaseColumn, scratch))
            points.phase = scratch.phase.data();
        else
            log.AppendLog("  A coluna %s não acompanha os pontos da curva: medidas sem fase.",
                          DisplayText(phaseName).c_str());
    }
    MeasureAndLog(points, units, curve.fileName, tables, scratch.reader, log);
}

} // namespace

TableRead ReadTableUnknown(const char* tablePath, const char* name, MeasureScratch& scratch,
                           ResponsePoints& points, bool& truncated)
{
    TableHeader header;
    if (!header.Read(tablePath, scratch.reader))
        return TableRead::NoTable;
    const int columns[] = {header.Column("f"), header.Column(std::string(name) + "m"),
                           header.Column(std::string(name) + "f")};
    if (columns[0] == 0 || columns[1] == 0 || columns[2] == 0)
        return TableRead::NoUnknown;
    double* const outputs[] = {scratch.frequency.data(), scratch.magnitude.data(),
                               scratch.phase.data()};
    ColumnRead read{columns, outputs, 3};
    if (!ReadColumns(tablePath, scratch.reader, read))
        return TableRead::NoTable;
    points = {scratch.frequency.data(), scratch.magnitude.data(), scratch.phase.data(), read.rows};
    truncated = read.truncated;
    return TableRead::Read;
}

bool MeasureTableUnknown(const char* tablePath, const char* name, const ResponseUnits& units,
                         MeasureScratch& scratch, MessageLog& log, ResponseMeasures* measures)
{
    DisplayText shownPath(tablePath), shownName(name);
    ResponsePoints points;
    bool truncated = false;
    switch (ReadTableUnknown(tablePath, name, scratch, points, truncated)) {
    case TableRead::NoTable:
        log.AppendLog("Medidas: tabela %s não encontrada.", shownPath.c_str());
        return false;
    case TableRead::NoUnknown:
        log.AppendLog("Medidas: a variável %s não existe na tabela %s.", shownName.c_str(),
                      shownPath.c_str());
        return false;
    case TableRead::Read:
        break;
    }
    log.AppendLog("Medidas de %s na tabela %s:", shownName.c_str(), shownPath.c_str());
    if (truncated)
        log.AppendLog("  Só os primeiros %d pontos da tabela entram nas medidas.", MaxPoints);
    EvidenceCache table;
    const ResponseMeasures measured =
        MeasureAndLog(points, units, tablePath, table, scratch.reader, log);
    if (measures != nullptr)
        *measures = measured;
    return true;
}

void MeasureCurves(const CurveStore& store, const ResponseUnits& units, MeasureScratch& scratch,
                   MessageLog& log, const WrittenTable& written)
{
    if (!store.plotReady) {
        log.AppendLog("Nada a medir: não há curvas plotadas.");
        return;
    }
    EvidenceCache tables;
    for (int k = 1; k <= store.curveCount; ++k) {
        const Curve& curve = store.curves[k];
        MeasureCurve(curve, k, IsWrittenTable(curve.fileName, written) ? written.units : units,
                     tables, scratch, log);
    }
}

} // namespace talvor
