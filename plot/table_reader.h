// Reading the numeric tables named by the curve lines into the curve store.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace talvor {

class CurveStore;
class MessageLog;

constexpr int MaxTableColumns = 1000;

// Whole lines of a text file, read through one reusable buffer. Each line comes without its
// line end (a "\r" before the "\n" is dropped too) and is NUL-terminated in place. Lines are
// returned whole up to maxLineLength bytes; a longer line (no table has one) is cut there and
// the rest of it is skipped, so that a file without line ends cannot exhaust the memory.
class LineReader {
public:
    explicit LineReader(size_t initialSize = 1 << 20, size_t maxLineLength = 1 << 24);
    void Start(std::FILE* file);
    // False at the end of the file.
    bool Next(char*& line, size_t& length);

private:
    bool Refill();
    bool SkipRestOfLine();

    size_t maxLineLength_;
    std::vector<char> buffer_;
    std::FILE* file_ = nullptr;
    size_t begin_ = 0;
    size_t end_ = 0;
    bool endOfFile_ = true;
    bool skipping_ = false;
};

// The words of a table line are separated by blanks and tabs: the first character at or after
// text that is not one, and the end of the word at text (its first blank or the line's end).
const char* SkipBlanks(const char* text);
const char* WordEnd(const char* text);

// Converts the number at the start of a word as "%lg" does (a word such as "1k" gives 1). The
// word ends at a blank, a tab or the end of its NUL-terminated line. False when it does not
// start with a number.
bool ScanTableNumber(const char* word, double& value);

// Opens a table for reading; null when it cannot be opened or is not a regular file.
std::FILE* OpenTableFile(const char* path);

// Reads the table of curve k (its file name and column names already in the store) into its
// points, logging every step. False when the Plot run must be abandoned.
bool ReadCurveTable(CurveStore& store, int k, bool columnsByName, LineReader& reader,
                    MessageLog& log);

// The words of the first line of the table at path; false when it cannot be read or has none.
bool ReadTableHeader(const char* path, std::vector<std::string>& header);

// The y column of the curve line that "Procurar" and "Copiar" add for the table at path: "1m",
// the magnitude of node 1, when the header has that column or cannot be read; otherwise the
// header's second word, the first magnitude column of a sweep's table whose nodes have names.
std::string SuggestedYColumn(const char* path);

} // namespace talvor
