// Numbers with suffixes, message helpers and the warning list.
#include "spice/spice_text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "common/c_text.h"

namespace talvor {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::optional<double> ParseSpiceNumber(std::string_view word)
{
    // The mantissa as written and the exponent with the scale's added: 100n reads as 100e-9,
    // the double nearest to 1e-7, not as 100 times 1e-9.
    size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-'))
        ++i;
    size_t digits = 0;
    for (; i < word.size() && IsDigit(word[i]); ++i)
        ++digits;
    if (i < word.size() && word[i] == '.')
        for (++i; i < word.size() && IsDigit(word[i]); ++i)
            ++digits;
    if (digits == 0)
        return std::nullopt;
    const std::string_view mantissa = word.substr(0, i);
    long exponent = 0;
    if (i + 1 < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        size_t j = i + 1;
        const bool negative = word[j] == '-';
        if (word[j] == '+' || word[j] == '-')
            ++j;
        if (j < word.size() && IsDigit(word[j])) {
            for (; j < word.size() && IsDigit(word[j]); ++j)
                if (exponent < 100000) // far beyond any double, and the sum below stays in range
                    exponent = exponent * 10 + (word[j] - '0');
            exponent = negative ? -exponent : exponent;
            i = j;
        }
    }
    const std::string_view letters = word.substr(i);
    if (!letters.empty() && !IsLetter(letters[0]))
        return std::nullopt;
    std::string text(mantissa);
    text += 'e';
    text += std::to_string(exponent + SpiceScaleExponent(letters));
    const double value = std::strtod(text.c_str(), nullptr);
    return StartsWith(letters, "mil") ? value * 25.4e-6 : value;
}

std::string Format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    va_end(arguments);
    return text;
}

std::string Shown(std::string_view word)
{
    constexpr size_t MaxShown = 40;
    std::string shown = DisplayText(word).c_str();
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    if (shown.size() > MaxShown) {
        shown.resize(Utf8PrefixLength(shown.c_str(), MaxShown));
        shown += "...";
    }
    return shown;
}

std::string NumberText(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

double NumberInWidth(double value, size_t width)
{
    double shortened = value;
    for (int digits = 17; digits >= 1 && NumberText(shortened).size() > width; --digits) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        shortened = std::strtod(text, nullptr);
    }
    return shortened;
}

void Refuse(Origin origin, std::string reason) { throw Refusal{origin, std::move(reason)}; }

std::string LineName(Origin origin)
{
    if (origin.file == nullptr)
        return Format("linha %d", origin.line);
    return Format("linha %d de %s", origin.line, Shown(origin.file->shown).c_str());
}

std::string AtLine(Origin origin, const std::string& text)
{
    if (origin.line <= 0)
        return text;
    if (origin.file == nullptr)
        return Format("linha %d: %s", origin.line, text.c_str());
    return Format("%s, linha %d: %s", Shown(origin.file->shown).c_str(), origin.line, text.c_str());
}

void Warnings::Add(Origin origin, const std::string& text)
{
    std::string message = AtLine(origin, text);
    if (!seen_.insert(message).second)
        return;
    const int file = origin.line <= 0 ? INT_MAX : origin.file == nullptr ? 0 : origin.file->order;
    lines_.push_back({file, origin.line, std::move(message)});
}

std::vector<std::string> Warnings::Lines() const
{
    std::vector<Line> sorted = lines_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Line& a, const Line& b) {
        return a.file != b.file ? a.file < b.file : a.line < b.line;
    });
    std::vector<std::string> lines;
    for (Line& line : sorted)
        lines.push_back(std::move(line.text));
    return lines;
}

} // namespace talvor
