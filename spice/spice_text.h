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

// Why a deck cannot be converted, at which line of the deck (0 when no line is to blame).
struct Refusal {
    int line;
    std::string reason;
};

// Ends the conversion: thrown inside the converter, caught by ConvertDeck.
[[noreturn]] void Refuse(int line, std::string reason);

// The converter's warnings, each "linha N: text" (or the text alone for line 0) kept once: a
// model used by many instances warns once.
class Warnings {
public:
    void Add(int line, const std::string& text);
    // In deck order (the order found within a line), those of no line last.
    std::vector<std::string> Lines() const;

private:
    std::vector<std::pair<int, std::string>> lines_;
    std::set<std::string> seen_;
};

// "linha N: text", or text alone when line is 0.
std::string AtLine(int line, const std::string& text);

} // namespace talvor
