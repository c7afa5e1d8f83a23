// Text helpers of the deck converter: case folding, SPICE numbers with engineering suffixes,
// message formatting, and the refusal that ends a conversion.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace talvor {

// SPICE names and keywords are case-insensitive: they are compared in lower case.
std::string Lower(std::string_view text);

// A SPICE number: an optional sign, digits with an optional point and exponent, then optional
// letters whose start is a scale (f p n u m k meg g t mil, any case: M is milli, MEG mega); the
// rest of the word after the first letter is ignored (10uF, 1k5, 5V). nullopt when the word does
// not start with a number, or a non-letter follows the digits. An infinite value (1e999, 1e308k)
// is returned as such; callers refuse it.
std::optional<double> ParseSpiceNumber(std::string_view word);

// printf-style formatting into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A deck word as shown in a message: valid UTF-8 (Latin-1 bytes converted), control characters
// as "?", at most 40 bytes, a longer word cut with "...".
std::string Shown(std::string_view word);

// A value in the shortest text that reads back to the same double ("1000", "1e-06", "0.1").
std::string NumberText(double value);

// The value nearest to value whose NumberText has at most width characters (0.7853981633974483
// → 0.78539816 in 10).
double NumberInWidth(double value, size_t width);

// A file that a deck includes (.include, .lib), as the messages name it.
struct IncludedFile {
    std::string shown;      // its path from the deck's folder: "models/q.lib"
    int order = 0;          // 1 for the first file read, 2 for the next, ...
    std::string includedAt; // the line that first included it: "linha 4", "linha 2 de a.lib"
};

// Where a text comes from: a line of the deck itself (file nullptr) or of a file it includes.
// Line 0 when no line is to blame.
struct Origin {
    Origin(int lineNumber = 0) : line(lineNumber) {}
    Origin(const IncludedFile* includedFile, int lineNumber) : line(lineNumber), file(includedFile)
    {}
    int line = 0;
    const IncludedFile* file = nullptr;
};

// "linha 4", or "linha 4 de models/q.lib" for a line of an included file.
std::string LineName(Origin origin);

// Why a deck cannot be converted, and where.
struct Refusal {
    Origin origin;
    std::string reason;
};

// Ends the conversion: thrown inside the converter, caught by ConvertDeck.
[[noreturn]] void Refuse(Origin origin, std::string reason);

// The converter's warnings, each "linha N: text" ("models/q.lib, linha N: text" for a line of an
// included file, the text alone for line 0) kept once: a model used by many instances warns
// once.
class Warnings {
public:
    void Add(Origin origin, const std::string& text);
    // The deck's in line order (the order found within a line), then those of each included
    // file in the order the files were read, then those of no line.
    std::vector<std::string> Lines() const;

private:
    struct Line {
        int file; // 0 for the deck, the included file's order, or INT_MAX for no line
        int line;
        std::string text;
    };
    std::vector<Line> lines_;
    std::set<std::string> seen_;
};

// "linha N: text", "models/q.lib, linha N: text", or text alone when the line is 0.
std::string AtLine(Origin origin, const std::string& text);

} // namespace talvor
