// The C-style field scanner of netlist lines.
#include "netlist/line_scanner.h"

#include <climits>
#include <cstring>

#include "common/c_text.h"

namespace talvor {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* SkipSpace(const char* text)
{
    while (IsSpace(*text))
        ++text;
    return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

bool LineScanner::Count(bool converted)
{
    if (converted)
        ++converted_;
    else
        stopped_ = true;
    return converted;
}

bool LineScanner::Text(Field& field)
{
    if (stopped_)
        return false;
    const char* start = SkipSpace(cursor_);
    size_t length = 0;
    while (length < FieldWidth && start[length] != '\0' && !IsSpace(start[length]))
        ++length;
    if (length == 0)
        return Count(false);
    std::memcpy(field, start, length);
    field[length] = '\0';
    cursor_ = start + length;
    return Count(true);
}

bool LineScanner::Number(double& value) { return !stopped_ && Count(ScanDecimal(cursor_, value)); }

bool LineScanner::Integer(int& value)
{
    if (stopped_)
        return false;
    const char* text = SkipSpace(cursor_);
    bool negative = *text == '-';
    if (*text == '+' || *text == '-')
        ++text;
    if (!IsDigit(*text))
        return Count(false);
    long long magnitude = 0;
    for (; IsDigit(*text); ++text)
        if (magnitude <= INT_MAX)
            magnitude = magnitude * 10 + (*text - '0');
    long long signedValue = negative ? -magnitude : magnitude;
    value = signedValue > INT_MAX   ? INT_MAX
            : signedValue < INT_MIN ? INT_MIN
                                    : static_cast<int>(signedValue);
    cursor_ = text;
    return Count(true);
}

bool LineScanner::Run(const char* set, char* run, size_t capacity)
{
    if (stopped_)
        return false;
    size_t length = 0;
    while (cursor_[length] != '\0' && std::strchr(set, cursor_[length]) != nullptr)
        ++length;
    if (length == 0)
        return Count(false);
    size_t kept = length < capacity - 1 ? length : capacity - 1;
    std::memcpy(run, cursor_, kept);
    run[kept] = '\0';
    cursor_ += length;
    return Count(true);
}

} // namespace talvor
