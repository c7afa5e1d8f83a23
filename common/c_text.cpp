#include "common/c_text.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace talvor {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the plain decimal number at text, 0 when there is none.
size_t DecimalLength(const char* text)
{
    size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    size_t digits = 0;
    while (IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (text[i] == '.') {
        ++i;
        while (IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (text[i] == 'e' || text[i] == 'E') {
        size_t j = i + 1;
        if (text[j] == '+' || text[j] == '-')
            ++j;
        if (IsDigit(text[j])) {
            while (IsDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

const char* SkipSpace(const char* text)
{
    while (*text != '\0' && std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    return text;
}

} // namespace

bool ScanDecimal(const char*& text, double& value)
{
    const char* start = SkipSpace(text);
    size_t length = DecimalLength(start);
    if (length == 0)
        return false;
    char number[512];
    if (length >= sizeof number) {
        // Absurdly long digit strings: strtod reads them fine from the text itself, and it stops
        // exactly where DecimalLength did because the forms are the same.
        value = std::strtod(start, nullptr);
    } else {
        std::memcpy(number, start, length);
        number[length] = '\0';
        value = std::strtod(number, nullptr);
    }
    text = start + length;
    return true;
}

int SpiceScaleExponent(std::string_view letters)
{
    auto startsWith = [&](std::string_view prefix) {
        if (letters.size() < prefix.size())
            return false;
        for (size_t k = 0; k < prefix.size(); ++k)
            if ((letters[k] | 0x20) != prefix[k])
                return false;
        return true;
    };
    if (startsWith("meg"))
        return 6;
    if (letters.empty() || startsWith("mil"))
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

double DecimalPrefix(std::string_view text)
{
    char buffer[512];
    size_t length = text.size() < sizeof buffer - 1 ? text.size() : sizeof buffer - 1;
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    const char* cursor = buffer;
    double value = 0;
    return ScanDecimal(cursor, value) ? value : 0.0;
}

int IntegerPrefix(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    while (i < text.size() && IsDigit(text[i])) {
        if (value <= INT_MAX)
            value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

namespace {

// Length of the valid UTF-8 sequence starting at s (at most n bytes available), 0 if invalid.
size_t Utf8SequenceLength(const unsigned char* s, size_t n)
{
    unsigned char c = s[0];
    if (c < 0x80)
        return 1;
    size_t length;
    unsigned minimum;
    unsigned code;
    if ((c & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        code = c & 0x07;
    } else {
        return 0;
    }
    if (length > n)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (s[i] & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t i = 0;
    while (i < bytes.size()) {
        size_t length = Utf8SequenceLength(s + i, bytes.size() - i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

size_t Utf8PrefixLength(const char* text, size_t maxLength)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    size_t j = maxLength;
    while (j > 0 && maxLength - j < 4 && (s[j - 1] & 0xC0) == 0x80)
        --j;
    if (j == 0)
        return maxLength;
    unsigned char lead = s[j - 1];
    size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return j - 1 + need > maxLength ? j - 1 : maxLength;
}

DisplayText::DisplayText(std::string_view bytes)
{
    size_t out = 0;
    if (IsValidUtf8(bytes)) {
        size_t length = bytes.size() < Capacity - 1 ? bytes.size() : Capacity - 1;
        std::memcpy(text_, bytes.data(), length);
        out = Utf8PrefixLength(text_, length);
    } else {
        for (unsigned char c : bytes) {
            size_t need = c < 0x80 ? 1 : 2;
            if (out + need > Capacity - 1)
                break;
            if (c < 0x80) {
                text_[out++] = static_cast<char>(c);
            } else {
                text_[out++] = static_cast<char>(0xC0 | (c >> 6));
                text_[out++] = static_cast<char>(0x80 | (c & 0x3F));
            }
        }
    }
    text_[out] = '\0';
}

} // namespace talvor
