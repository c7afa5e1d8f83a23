// The table reader: header and data lines of any text file of numeric columns.
#include "plot/table_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "common/c_text.h"
#include "common/message_log.h"
#include "plot/curve_store.h"

namespace talvor {

// The buffer never holds more than the longest line and its line end: a larger one would hand
// out whole lines longer than the limit.
LineReader::LineReader(size_t initialSize, size_t maxLineLength)
    : maxLineLength_(std::max<size_t>(1, maxLineLength)),
      buffer_(std::min(std::max<size_t>(16, initialSize), maxLineLength_ + 2))
{}

void LineReader::Start(std::FILE* file)
{
    file_ = file;
    begin_ = end_ = 0;
    endOfFile_ = false;
    skipping_ = false;
}

// Moves the unread tail to the front and appends more of the file, growing the buffer (up to
// one byte more than the longest line, plus the terminator) when a single line fills it. False
// when nothing more could be read.
bool LineReader::Refill()
{
    if (endOfFile_)
        return false;
    size_t pending = end_ - begin_;
    if (begin_ > 0 && pending > 0)
        std::memmove(buffer_.data(), buffer_.data() + begin_, pending);
    begin_ = 0;
    end_ = pending;
    if (end_ + 1 >= buffer_.size())
        buffer_.resize(std::min(buffer_.size() * 2, maxLineLength_ + 2));
    // One byte stays free for the terminator of a last line without a line end.
    size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - 1 - end_, file_);
    end_ += got;
    if (got == 0)
        endOfFile_ = true;
    return got > 0;
}

// Drops what is left of a line that was cut: the rest of the buffer, which holds no line end
// (that is why the line was cut), and the file up to its next line end. False at the end of the
// file. Next clears skipping_ with the line that it returns after this.
bool LineReader::SkipRestOfLine()
{
    for (;;) {
        begin_ = end_;
        if (!Refill())
            return false;
        auto* lineEnd = static_cast<char*>(std::memchr(buffer_.data(), '\n', end_));
        if (lineEnd != nullptr) {
            begin_ = static_cast<size_t>(lineEnd - buffer_.data()) + 1;
            return true;
        }
    }
}

bool LineReader::Next(char*& line, size_t& length)
{
    if (skipping_ && !SkipRestOfLine())
        return false;
    for (;;) {
        char* start = buffer_.data() + begin_;
        auto* lineEnd = static_cast<char*>(std::memchr(start, '\n', end_ - begin_));
        bool cut = false;
        if (lineEnd == nullptr) {
            if (end_ - begin_ >= maxLineLength_) {
                lineEnd = start + maxLineLength_;
                cut = true;
            } else if (Refill()) {
                continue;
            } else if (begin_ == end_) {
                return false;
            } else {
                start = buffer_.data() + begin_;
                lineEnd = buffer_.data() + end_; // last line without a line end
            }
        }
        length = static_cast<size_t>(lineEnd - start);
        begin_ += length + (!cut && begin_ + length < end_ ? 1 : 0);
        skipping_ = cut;
        *lineEnd = '\0';
        if (std::string_view(start, length).ends_with('\r'))
            start[--length] = '\0';
        line = start;
        return true;
    }
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

const char* SkipBlanks(const char* text)
{
    while (IsBlank(*text))
        ++text;
    return text;
}

const char* WordEnd(const char* text)
{
    while (*text != '\0' && !IsBlank(*text))
        ++text;
    return text;
}

bool ScanTableNumber(const char* word, double& value)
{
    const char* wordEnd = WordEnd(word);
    if (wordEnd == word)
        return false;
    // Plain numbers (the whole table in practice) go through from_chars, which rounds exactly as
    // strtod does. When it stops inside the word ("1k", "0x10"), fails ("+3") or the value is out
    // of range, strtod decides, as "%lg" does.
    double parsed;
    auto [stop, error] = std::from_chars(word, wordEnd, parsed);
    if (error == std::errc() && stop == wordEnd) {
        value = parsed;
        return true;
    }
    char* end = nullptr;
    parsed = std::strtod(word, &end);
    if (end == word)
        return false;
    value = parsed;
    return true;
}

namespace {

enum class LineOutcome { Point, Ignored, Abandon };

// Finds the columns of the curve's names in the header line. False (after logging) when the run
// must be abandoned.
bool FindColumnsByName(Curve& curve, int k, const char* header, MessageLog& log)
{
    curve.xColumn = curve.yColumn = 0;
    int column = 0;
    const char* word = SkipBlanks(header);
    while (*word != '\0' && (curve.xColumn == 0 || curve.yColumn == 0)) {
        if (++column > MaxTableColumns) {
            log.AppendLog("Mais de 1000 colunas?!");
            return false;
        }
        const char* end = WordEnd(word);
        std::string_view name(word, static_cast<size_t>(end - word));
        if (name == curve.xName)
            curve.xColumn = column;
        if (name == curve.yName)
            curve.yColumn = column;
        word = SkipBlanks(end);
    }
    if (curve.xColumn == 0 || curve.yColumn == 0) {
        log.AppendLog("Coluna %s não encontrada.",
                      DisplayText(curve.xColumn == 0 ? curve.xName : curve.yName).c_str());
        return false;
    }
    log.AppendLog("Tabela %d: %s x %s", k, DisplayText(curve.xName).c_str(),
                  DisplayText(curve.yName).c_str());
    return true;
}

// Reads the curve's two columns from one data line into point L (numbered from 1).
LineOutcome ReadDataLine(Curve& curve, int k, int L, const char* line, MessageLog& log)
{
    const char* word = SkipBlanks(line);
    double first = 0;
    if (*word == '\0' || !ScanTableNumber(word, first)) {
        log.AppendLog("Linha %d ignorada: %s", L, DisplayText(line).c_str());
        return LineOutcome::Ignored;
    }
    double x = 0, y = 0;
    bool hasX = curve.xColumn == 1, hasY = curve.yColumn == 1;
    bool allNumbers = true;
    if (hasX)
        x = first;
    if (hasY)
        y = first;
    int column = 1;
    while (!(hasX && hasY)) {
        word = SkipBlanks(WordEnd(word));
        if (*word == '\0')
            break;
        if (++column > MaxTableColumns) {
            log.AppendLog("Mais de 1000 colunas?!");
            return LineOutcome::Abandon;
        }
        if (column == curve.xColumn) {
            hasX = true;
            allNumbers = ScanTableNumber(word, x) && allNumbers;
        }
        if (column == curve.yColumn) {
            hasY = true;
            allNumbers = ScanTableNumber(word, y) && allNumbers;
        }
    }
    if (!hasX)
        log.AppendLog("Coluna %d não encontrada na linha %d da tabela %d %s.", curve.xColumn, L, k,
                      DisplayText(curve.fileName).c_str());
    if (!hasY)
        log.AppendLog("Coluna %d não encontrada na linha %d da tabela %d %s.", curve.yColumn, L, k,
                      DisplayText(curve.fileName).c_str());
    if (!hasX || !hasY)
        return LineOutcome::Abandon;
    if (!allNumbers) {
        // A word that is not a number would leave the slot's old value in the curve.
        log.AppendLog("Linha %d ignorada: %s", L, DisplayText(line).c_str());
        return LineOutcome::Ignored;
    }
    curve.x[L - 1] = x;
    curve.y[L - 1] = y;
    return LineOutcome::Point;
}

struct FileCloser {
    std::FILE* file;
    ~FileCloser() { std::fclose(file); }
};

bool ReadPoints(Curve& curve, int k, LineReader& reader, MessageLog& log)
{
    int p = 0;
    char* line = nullptr;
    size_t length = 0;
    bool abandoned = false;
    while (p < MaxPoints && reader.Next(line, length)) {
        if (length == 0)
            continue; // empty lines are skipped silently
        LineOutcome outcome = ReadDataLine(curve, k, p + 1, line, log);
        if (outcome == LineOutcome::Abandon) {
            abandoned = true;
            break;
        }
        if (outcome == LineOutcome::Point)
            ++p;
    }
    curve.pointCount = p;
    if (abandoned)
        return false;
    if (p == MaxPoints)
        log.AppendLog("Número máximo de linhas, %d, atingido.", MaxPoints);
    return true;
}

} // namespace

std::FILE* OpenTableFile(const char* path)
{
    // Only regular files: a directory reads as nothing, a device such as /dev/zero would fill
    // the memory with one endless line, and a pipe could keep the run waiting for ever.
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) ? std::fopen(path, "rb") : nullptr;
}

bool ReadCurveTable(CurveStore& store, int k, bool columnsByName, LineReader& reader,
                    MessageLog& log)
{
    Curve& curve = store.curves[k];
    log.AppendLog("Lendo arquivo %s", DisplayText(curve.fileName).c_str());
    std::FILE* file = OpenTableFile(curve.fileName);
    if (file == nullptr) {
        log.AppendLog("Arquivo %d não encontrado: %s", k, DisplayText(curve.fileName).c_str());
        return false;
    }
    FileCloser closer{file};
    reader.Start(file);
    curve.pointCount = 0;
    if (columnsByName) {
        char* header = nullptr;
        size_t length = 0;
        char empty[1] = "";
        if (!reader.Next(header, length))
            header = empty;
        log.AppendLog("Colunas: %s", DisplayText(header).c_str());
        if (!FindColumnsByName(curve, k, header, log))
            return false;
    } else {
        curve.xColumn = IntegerPrefix(curve.xName);
        curve.yColumn = IntegerPrefix(curve.yName);
        if (curve.xColumn == 0 || curve.yColumn == 0) {
            log.AppendLog("As colunas tem que ser números se os nomes não são usados.");
            return false;
        }
    }
    if (!ReadPoints(curve, k, reader, log))
        return false;
    log.AppendLog("A tabela %d, %s, tem %d linhas e está nas colunas %d e %d.", k,
                  DisplayText(curve.fileName).c_str(), curve.pointCount, curve.xColumn,
                  curve.yColumn);
    return true;
}

bool ReadTableHeader(const char* path, std::vector<std::string>& header)
{
    header.clear();
    std::FILE* file = OpenTableFile(path);
    if (file == nullptr)
        return false;
    FileCloser closer{file};
    LineReader reader(4096, 1999); // a table line is read in a buffer of 2000 characters
    reader.Start(file);
    char* line = nullptr;
    size_t length = 0;
    if (reader.Next(line, length)) {
        for (const char* word = SkipBlanks(line); *word != '\0'; word = SkipBlanks(WordEnd(word)))
            header.emplace_back(word, static_cast<size_t>(WordEnd(word) - word));
    }
    return !header.empty();
}

std::string SuggestedYColumn(const char* path)
{
    const std::string nodeOne = "1m";
    std::vector<std::string> header;
    ReadTableHeader(path, header);
    for (const std::string& name : header)
        if (name == nodeOne)
            return nodeOne;
    return header.size() >= 2 ? header[1] : nodeOne;
}

} // namespace talvor
