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

// The power of ten of the letters after a number (0 for letters that are not a scale); "mil"
// is handled apart, being no power of ten.
int ScaleExponent(std::string_view letters)
{
    if (StartsWith(letters, "meg"))
        return 6;
    if (letters.empty() || StartsWith(letters, "mil"))
        return 0;
    switch (letters[0] | 0x20) {
    case 'f':
        return -15;
    case 'p':
        return -12;
    case 'n':
        return -9;
    case 'u':
        return -6;
    case 'm':
        return -3;
    case 'k':
        return 3;
    case 'g':
        return 9;
    case 't':
        return 12;
    default:
        return 0;
    }
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
    text += std::to_string(exponent + ScaleExponent(letters));
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

void Refuse(int line, std::string reason) { throw Refusal{line, std::move(reason)}; }

std::string AtLine(int line, const std::string& text)
{
    return line > 0 ? Format("linha %d: %s", line, text.c_str()) : text;
}

void Warnings::Add(int line, const std::string& text)
{
    std::string message = AtLine(line, text);
    if (seen_.insert(message).second)
        lines_.emplace_back(line > 0 ? line : INT_MAX, std::move(message));
}

std::vector<std::string> Warnings::Lines() const
{
    std::vector<std::pair<int, std::string>> sorted = lines_;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> lines;
    for (auto& [line, text] : sorted)
        lines.push_back(std::move(text));
    return lines;
}

} // namespace talvor
