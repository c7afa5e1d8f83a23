// Typed numbers: the decimal comma, and the log line for a field that is not one number alone.
#include "common/field_numbers.h"

#include <cctype>
#include <cstring>

#include "common/c_text.h"
#include "common/message_log.h"

namespace talvor {

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Where the digits of a text's leading number end, after blanks and a sign.
size_t LeadingDigitsEnd(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i;
}

// The quoted text in a log line: the file bytes as UTF-8, cut at a character boundary.
constexpr size_t QuotedBytes = 60;

} // namespace

std::string WithDecimalPoint(std::string_view text)
{
    std::string fixed(text);
    const size_t comma = LeadingDigitsEnd(text);
    // "1,5" and ",5" are decimals; a comma that neither follows nor precedes a digit is not.
    const bool digitBefore = comma > 0 && IsDigit(text[comma - 1]);
    const bool digitAfter = comma + 1 < text.size() && IsDigit(text[comma + 1]);
    if (comma < text.size() && text[comma] == ',' && (digitBefore || digitAfter))
        fixed[comma] = '.';
    return fixed;
}

FieldFit FitAfter(std::string_view text, size_t end)
{
    for (size_t i = end; i < text.size(); ++i)
        if (!IsBlank(text[i]))
            return FieldFit::TextAfter;
    return FieldFit::Number;
}

FieldNumber ReadDecimalField(std::string_view text)
{
    const std::string fixed = WithDecimalPoint(text);
    const char* cursor = fixed.c_str();
    FieldNumber reading;
    if (!ScanDecimal(cursor, reading.value))
        return reading;
    // A NUL byte ends the text as it ends the scan.
    reading.fit = FitAfter(fixed, static_cast<size_t>(cursor - fixed.c_str()));
    return reading;
}

FieldNumber ReadIntegerField(std::string_view text)
{
    FieldNumber reading;
    size_t end = LeadingDigitsEnd(text);
    if (end == 0 || !IsDigit(text[end - 1]))
        return reading;
    reading.value = IntegerPrefix(text);
    reading.fit = FitAfter(text, end);
    return reading;
}

void ReportField(MessageLog& log, const FieldWords& words, std::string_view text,
                 const FieldNumber& reading)
{
    if (reading.fit == FieldFit::Number)
        return;
    const DisplayText shown(text.substr(0, QuotedBytes * 4));
    const size_t length = std::strlen(shown.c_str());
    const size_t cut =
        length <= QuotedBytes ? length : Utf8PrefixLength(shown.c_str(), QuotedBytes);
    const char* ellipsis = cut < length ? "..." : "";
    const char* what =
        reading.fit == FieldFit::NoNumber ? "não é um número" : "tem texto depois do número";
    log.AppendLog("%s (%s): \"%.*s%s\" %s; usado %g.", words.label, words.option,
                  static_cast<int>(cut), shown.c_str(), ellipsis, what, reading.value);
}

double ReadReportedDecimal(MessageLog& log, const FieldWords& words, std::string_view text)
{
    const FieldNumber reading = ReadDecimalField(text);
    ReportField(log, words, text, reading);
    return reading.value;
}

} // namespace talvor
