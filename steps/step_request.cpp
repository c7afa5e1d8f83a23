// Parsing of step lists, tolerances and the other texts of a stepped or Monte Carlo request.
#include "steps/step_request.h"

#include <charconv>
#include <cmath>

#include "common/c_text.h"

namespace talvor {

namespace {

// The text up to the first separator, removed from text with the separator; the whole text when
// there is none.
std::string_view TakeField(std::string_view& text, char separator)
{
    const size_t at = text.find(separator);
    const std::string_view field = text.substr(0, at);
    text = at == std::string_view::npos ? std::string_view() : text.substr(at + 1);
    return field;
}

// The fields between separators, empty ones included ("1,,2" has three, "1," two).
std::vector<std::string_view> SplitFields(std::string_view text, char separator)
{
    std::vector<std::string_view> fields;
    for (size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator)) {
        fields.push_back(text.substr(0, at));
        text.remove_prefix(at + 1);
    }
    fields.push_back(text);
    return fields;
}

// A plain decimal that fills the whole field.
bool ParseNumber(std::string_view field, double& value)
{
    const std::string text(field);
    const char* cursor = text.c_str();
    if (text.empty() || text[0] == ' ' || !ScanDecimal(cursor, value))
        return false;
    return *cursor == '\0' && std::isfinite(value);
}

bool ParseCount(std::string_view field, long& count)
{
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), count);
    return error == std::errc() && end == field.data() + field.size();
}

// "START:END:N" into its three numbers.
bool ParseRange(std::string_view text, double& start, double& end, long& count)
{
    const std::string_view startField = TakeField(text, ':');
    const std::string_view endField = TakeField(text, ':');
    return ParseNumber(startField, start) && ParseNumber(endField, end) && ParseCount(text, count);
}

bool LinearRange(std::string_view text, std::vector<double>& values)
{
    double start = 0, end = 0;
    long count = 0;
    if (!ParseRange(text, start, end, count) || count < 1 || count > MaxStepRuns)
        return false;
    if (count == 1) {
        values.push_back(start);
        return true;
    }
    for (long k = 0; k < count - 1; ++k)
        values.push_back(start + (end - start) * k / (count - 1.0));
    values.push_back(end); // exactly the value typed
    return true;
}

// base 10 (per decade) or 2 (per octave); count values per base, both ends included.
bool GeometricRange(std::string_view text, double base, std::vector<double>& values)
{
    double start = 0, end = 0;
    long perBase = 0;
    if (!ParseRange(text, start, end, perBase) || perBase < 2 || !(start > 0) || end < start)
        return false;
    const double steps = std::log(end / start) / std::log(base) * (perBase - 1.0);
    if (steps >= MaxStepRuns)
        return false;
    // The margin lets the end through despite rounding, as the sweep's end limit does.
    const long count = static_cast<long>(std::floor(steps + 1e-7)) + 1;
    for (long k = 0; k < count; ++k)
        values.push_back(start * std::pow(base, k / (perBase - 1.0)));
    return true;
}

bool ValueSequence(std::string_view text, std::vector<double>& values)
{
    const std::vector<std::string_view> fields = SplitFields(text, ',');
    if (fields.size() > MaxStepRuns)
        return false;
    for (std::string_view field : fields) {
        double value = 0;
        if (!ParseNumber(field, value))
            return false;
        values.push_back(value);
    }
    return true;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

} // namespace

bool ParseValueTarget(std::string_view text, ValueTarget& target)
{
    const size_t dot = text.find('.');
    target.name = std::string(text.substr(0, dot));
    target.slot = dot == std::string_view::npos ? std::string() : std::string(text.substr(dot + 1));
    if (target.name.empty() || !IsAsciiLetter(target.name[0]))
        return false;
    target.name[0] = AsciiUpper(target.name[0]);
    return dot == std::string_view::npos || !target.slot.empty();
}

bool ParseValueList(std::string_view text, std::vector<double>& values)
{
    values.clear();
    bool parsed = false;
    if (text.starts_with("lin:"))
        parsed = LinearRange(text.substr(4), values);
    else if (text.starts_with("dec:"))
        parsed = GeometricRange(text.substr(4), 10, values);
    else if (text.starts_with("oct:"))
        parsed = GeometricRange(text.substr(4), 2, values);
    else
        parsed = ValueSequence(text, values);
    if (!parsed)
        values.clear();
    return parsed;
}

bool ParseStepOption(std::string_view text, StepRequest& request)
{
    const std::string_view target = TakeField(text, ':');
    return ParseValueTarget(target, request.target) && ParseValueList(text, request.values);
}

bool ParseTolerances(std::string_view text, std::vector<Tolerance>& tolerances)
{
    for (std::string_view item : SplitFields(text, ',')) {
        Tolerance tolerance;
        if (!ParseValueTarget(TakeField(item, ':'), tolerance.target))
            return false;
        if (item.ends_with('%'))
            item.remove_suffix(1);
        double percent = 0;
        if (!ParseNumber(item, percent) || percent < 0 || percent > 100)
            return false;
        tolerance.fraction = percent / 100;
        tolerances.push_back(tolerance);
    }
    return true;
}

bool ParseDistribution(std::string_view text, Distribution& distribution)
{
    if (text == "uniform")
        distribution = Distribution::Uniform;
    else if (text == "gauss")
        distribution = Distribution::Gauss;
    else
        return false;
    return true;
}

bool ParseRunCount(std::string_view text, int& runs)
{
    long count = 0;
    if (!ParseCount(text, count) || count < 1 || count > MaxStepRuns)
        return false;
    runs = static_cast<int>(count);
    return true;
}

bool ParseSeed(std::string_view text, std::uint64_t& seed)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seed);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

} // namespace talvor
