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

// Letters (any byte of a UTF-8 or Latin-1 letter such as µ included), or a decimal comma.
bool GluesOn(const char* rest)
{
    const unsigned char c = static_cast<unsigned char>(*rest);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80 ||
           (c == ',' && IsDigit(rest[1]));
}

const char* WordEnd(const char* text)
{
    while (*text != '\0' && !IsSpace(*text))
        ++text;
    return text;
}

} // namespace

std::optional<GluedNumber> GluedNumberIn(std::string_view word)
{
    char text[FieldWidth + 1] = "";
    const size_t length = word.size() < FieldWidth ? word.size() : FieldWidth;
    std::memcpy(text, word.data(), length);
    const char* cursor = text;
    double value = 0;
    if (!ScanDecimal(cursor, value) || !GluesOn(cursor))
        return std::nullopt;
    return GluedNumber{word.substr(0, length), static_cast<size_t>(cursor - text), value};
}

void LineScanner::NoteGlued(const char* start, double value)
{
    if (!glued_ && GluesOn(cursor_))
        glued_ = GluedNumber{std::string_view(start, static_cast<size_t>(WordEnd(cursor_) - start)),
                             static_cast<size_t>(cursor_ - start), value};
}

std::optional<GluedNumber> LineScanner::FirstGlued() const
{
    if (!glued_)
        return std::nullopt;
    GluedNumber glued = *glued_;
    const char* after = glued.field.data() + glued.field.size();
    glued.laterFieldsUnread = stopped_ && *SkipSpace(after) != '\0';
    return glued;
}

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

bool LineScanner::Number(double& value)
{
    if (stopped_)
        return false;
    const char* start = SkipSpace(cursor_);
    if (!Count(ScanDecimal(cursor_, value)))
        return false;
    NoteGlued(start, value);
    return true;
}

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
    const char* start = SkipSpace(cursor_);
    cursor_ = text;
    NoteGlued(start, value);
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
