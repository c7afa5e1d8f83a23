// Numbered divisions of the axes and the axis titles.
#include "plot/axis_labels.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <vector>

#include "common/c_text.h"
#include "plot/curve_store.h"
#include "plot/graph_geometry.h"
#include "plot/plot_run.h"

namespace talvor {

namespace {

// The prefixes from 1e-24 to 1e24, every third power of ten; "\xc2\xb5" is the micro sign.
const char* const Prefixes[] = {"y", "z", "a", "f", "p", "n", "\xc2\xb5", "m", "",
                                "k", "M", "G", "T", "P", "E", "Z",        "Y"};
constexpr int LowestPrefix = -24, HighestPrefix = 24;

double PowerOfTen(int exponent) { return std::pow(10.0, exponent); }

// value / 10^exponent with the given decimals, then the exponent's prefix (or "e" and the
// exponent beyond the prefixes). Zero is "0" whatever the exponent.
void FormatScaled(double value, int exponent, int decimals, char* text, size_t size)
{
    if (value == 0) {
        std::snprintf(text, size, "0");
        return;
    }
    const double scaled = value / PowerOfTen(exponent);
    if (exponent >= LowestPrefix && exponent <= HighestPrefix)
        std::snprintf(text, size, "%.*f%s", decimals, scaled,
                      Prefixes[(exponent - LowestPrefix) / 3]);
    else
        std::snprintf(text, size, "%.*fe%d", decimals, scaled, exponent);
}

// The exponent, a multiple of three, that leaves 1 to 999 in front of the prefix.
int EngineeringExponent(double magnitude)
{
    return 3 * static_cast<int>(std::floor(std::log10(magnitude) / 3));
}

bool Finite(double v) { return std::isfinite(v); }

// Ticks are tried from the densest set to the sparsest; a set fits when its labels keep the
// spacing and the gap, and no two neighbours read the same.
bool Fits(const AxisTicks& ticks, const AxisSpan& span, const LabelExtent& extent)
{
    double previousExtent = 0;
    for (int i = 0; i < ticks.count; ++i) {
        const double e = extent.Of(ticks.ticks[i].text);
        if (i > 0) {
            const double distance = std::abs(ticks.ticks[i].pixel - ticks.ticks[i - 1].pixel);
            if (distance < span.minSpacing || distance < (e + previousExtent) / 2 + span.gap ||
                std::strcmp(ticks.ticks[i].text, ticks.ticks[i - 1].text) == 0)
                return false;
        }
        previousExtent = e;
    }
    return true;
}

// Appends a tick at value; its position is ln(value) on a logarithmic axis. False when the set
// is full or the value has no pixel.
bool Append(AxisTicks& ticks, const AxisSpan& span, double value)
{
    if (ticks.count == MaxAxisTicks)
        return false;
    AxisTick& tick = ticks.ticks[ticks.count];
    const double position = span.kind == AxisKind::Logarithmic ? std::log(value) : value;
    if (!MapToPixel(position, span.scale, span.offset, tick.pixel))
        return false;
    tick.value = value;
    tick.text[0] = '\0';
    ++ticks.count;
    return true;
}

// The multiples of step within the limits, labelled with one prefix for the whole axis and the
// decimals the step needs. False when they are too many.
bool Multiples(const AxisSpan& span, double step, AxisTicks& ticks)
{
    ticks.count = 0;
    // A limit a billionth of the range off a multiple still gets its label.
    const double slack = (span.high - span.low) * 1e-9;
    const double first = std::ceil((span.low - slack) / step),
                 last = std::floor((span.high + slack) / step);
    if (!(last - first < MaxAxisTicks))
        return false;
    double largest = 0;
    for (double k = first; k <= last; ++k) {
        double value = k * step;
        if (std::abs(value) < step * 1e-9)
            value = 0; // not 1e-17 where a sum of steps misses zero
        if (!Append(ticks, span, value))
            return false;
        largest = std::max(largest, std::abs(value));
    }
    int exponent = 0;
    if (span.kind != AxisKind::Phase && largest > 0 &&
        (largest >= 1000 || (largest < 1 && step < 0.01)))
        exponent = EngineeringExponent(largest);
    const int decimals =
        std::max(0, static_cast<int>(std::ceil(-std::log10(step / PowerOfTen(exponent)) - 1e-9)));
    for (int i = 0; i < ticks.count; ++i)
        FormatScaled(ticks.ticks[i].value, exponent, std::min(decimals, 15), ticks.ticks[i].text,
                     sizeof ticks.ticks[i].text);
    return true;
}

// The smallest of 1, 2 and 5 times a power of ten that is at least x, and the next one.
double RoundStepAtLeast(double x)
{
    const double power = PowerOfTen(static_cast<int>(std::floor(std::log10(x))));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= x * (1 - 1e-12))
            return m * power;
    return 10 * power;
}

double NextRoundStep(double step)
{
    const double power = PowerOfTen(static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    const double m = step / power;
    return (m < 1.5 ? 2 : m < 3.5 ? 5 : 10) * power;
}

// m x 10^decade for each m of mantissas, within the limits, labelled one by one in engineering
// form, or all in exponent form (2e-30) when the axis reaches beyond the prefixes.
bool DecadeMultiples(const AxisSpan& span, int firstDecade, int lastDecade, int decadeStep,
                     std::initializer_list<int> mantissas, AxisTicks& ticks)
{
    const bool exponentForm = firstDecade < LowestPrefix || lastDecade > HighestPrefix + 2;
    ticks.count = 0;
    for (int decade = firstDecade; decade <= lastDecade; ++decade) {
        if (((decade % decadeStep) + decadeStep) % decadeStep != 0)
            continue;
        for (int m : mantissas) {
            const double value = m * PowerOfTen(decade);
            if (value < span.low * (1 - 1e-9) || value > span.high * (1 + 1e-9))
                continue;
            if (!Append(ticks, span, value))
                return false;
            char* text = ticks.ticks[ticks.count - 1].text;
            if (!exponentForm)
                FormatEngineering(value, text, sizeof ticks.ticks[0].text);
            else if (decade == 0)
                std::snprintf(text, sizeof ticks.ticks[0].text, "%d", m);
            else
                std::snprintf(text, sizeof ticks.ticks[0].text, "%de%d", m, decade);
        }
    }
    return true;
}

// Tries sets of ticks from the densest to the sparsest and keeps the first that fits; a set of
// one tick or none always fits.
class TickSearch {
public:
    TickSearch(const AxisSpan& span, const LabelExtent& extent, AxisTicks& ticks)
        : span_(span), extent_(extent), ticks_(ticks), trial_(std::make_unique<AxisTicks>())
    {}

    AxisTicks& Trial() { return *trial_; }
    // True (with the trial kept) when the trial fits.
    bool Accept()
    {
        if (!Fits(*trial_, span_, extent_) && trial_->count > 1)
            return false;
        ticks_ = *trial_;
        return true;
    }
    // Multiples of round steps from firstStep up.
    void LinearSteps(double firstStep)
    {
        double step = RoundStepAtLeast(firstStep);
        for (int attempt = 0; attempt < 400 && Finite(step) && step > 0; ++attempt) {
            if (Multiples(span_, step, *trial_) && Accept())
                return;
            step = NextRoundStep(step);
        }
    }

private:
    const AxisSpan& span_;
    const LabelExtent& extent_;
    AxisTicks& ticks_;
    std::unique_ptr<AxisTicks> trial_;
};

// Decades where at least two lie within the limits; with fewer than three, 1, 2 and 5 times
// each decade first; where 1, 2 and 5 do not give two labels, round steps as on a linear axis.
void LogarithmicTicks(const AxisSpan& span, TickSearch& search)
{
    const int firstDecade = static_cast<int>(std::ceil(std::log10(span.low) - 1e-9));
    const int lastDecade = static_cast<int>(std::floor(std::log10(span.high) + 1e-9));
    const int decades = lastDecade - firstDecade + 1;
    // 5 x 10^(firstDecade - 1) may lie above the lower limit too.
    if (decades < 3 &&
        DecadeMultiples(span, firstDecade - 1, lastDecade, 1, {1, 2, 5}, search.Trial()) &&
        search.Trial().count >= 2 && search.Accept())
        return;
    if (decades < 2) {
        search.LinearSteps((span.high - span.low) / (MaxAxisTicks - 1));
        return;
    }
    for (int step = 1; step <= 1000000; step = static_cast<int>(NextRoundStep(step))) {
        if (DecadeMultiples(span, firstDecade, lastDecade, step, {1}, search.Trial()) &&
            search.Accept())
            return;
    }
}

} // namespace

void FormatEngineering(double value, char* text, size_t size)
{
    if (value == 0 || !Finite(value)) {
        std::snprintf(text, size, "%g", value);
        return;
    }
    const double magnitude = std::abs(value);
    int exponent = EngineeringExponent(magnitude);
    if (exponent < LowestPrefix || exponent > HighestPrefix) {
        int power = static_cast<int>(std::floor(std::log10(magnitude)));
        char mantissa[32];
        std::snprintf(mantissa, sizeof mantissa, "%.3g", value / PowerOfTen(power));
        if (std::abs(std::strtod(mantissa, nullptr)) >= 10) // 9.999 rounds to 10
            std::snprintf(mantissa, sizeof mantissa, "%.3g", value / PowerOfTen(++power));
        std::snprintf(text, size, "%se%d", mantissa, power);
        return;
    }
    for (int pass = 0; pass < 2; ++pass) {
        char number[32];
        std::snprintf(number, sizeof number, "%.3g", value / PowerOfTen(exponent));
        // 999.9 rounds to 1e+03: one prefix up.
        if (std::abs(std::strtod(number, nullptr)) >= 1000 && exponent < HighestPrefix) {
            exponent += 3;
            continue;
        }
        std::snprintf(text, size, "%s%s", number, Prefixes[(exponent - LowestPrefix) / 3]);
        return;
    }
}

void ComputeAxisTicks(const AxisSpan& span, const LabelExtent& extent, AxisTicks& ticks)
{
    ticks.count = 0;
    const double range = span.high - span.low;
    if (!(range > 0) || !Finite(range) || !Finite(span.scale) || span.scale == 0 ||
        !Finite(span.offset))
        return;
    if (span.kind == AxisKind::Logarithmic && !(span.low > 0))
        return;
    TickSearch search(span, extent, ticks);
    switch (span.kind) {
    case AxisKind::Phase: {
        for (double step : {45.0, 90.0})
            if (Multiples(span, step, search.Trial()) && search.Accept())
                return;
        // The ends and the middle of the scale, wherever their labels fit.
        AxisSpan ends = span;
        ends.minSpacing = 0;
        TickSearch endSearch(ends, extent, ticks);
        for (double step : {180.0, 360.0})
            if (Multiples(ends, step, endSearch.Trial()) && endSearch.Accept())
                return;
        return;
    }
    case AxisKind::Linear:
        search.LinearSteps(range / (MaxAxisTicks - 1));
        return;
    case AxisKind::Logarithmic:
        LogarithmicTicks(span, search);
        return;
    }
}

namespace {

// The distinct names in the order met, joined by ", ".
class NameList {
public:
    void Add(const char* bytes)
    {
        const std::string name = DisplayText(bytes).c_str();
        if (std::find(names_.begin(), names_.end(), name) == names_.end())
            names_.push_back(name);
    }
    bool Only(const char* name) const { return names_.size() == 1 && names_[0] == name; }
    std::string Joined() const
    {
        std::string joined;
        for (const std::string& name : names_)
            joined += (joined.empty() ? "" : ", ") + name;
        return joined;
    }

private:
    std::vector<std::string> names_;
};

const char* const PhaseTitle = "fase (graus)";

} // namespace

bool IsMagnitudeName(const char* name)
{
    const size_t length = std::strlen(name);
    return length > 1 && name[length - 1] == 'm';
}

AxisTitles TitlesOf(const CurveStore& store, const PlotOptions& options)
{
    NameList xNames, yNames;
    bool unitsKnown = true, anyPhase = false, anyOther = false, allMagnitudes = true;
    for (int k = 1; k <= store.curveCount; ++k) {
        const Curve& c = store.curves[k];
        if (c.operation == 'x')
            continue;
        unitsKnown =
            unitsKnown && (options.tableUnitsPath.empty() || options.tableUnitsPath == c.fileName);
        xNames.Add(c.xName);
        if (c.isPhase) {
            anyPhase = true;
            continue;
        }
        anyOther = true;
        yNames.Add(c.yName);
        allMagnitudes = allMagnitudes && IsMagnitudeName(c.yName);
    }
    const ResponseUnits none;
    const ResponseUnits& units = unitsKnown ? options.tableUnits : none;

    AxisTitles titles;
    titles.x = xNames.Joined();
    if (xNames.Only("f") && units.frequency != FrequencyUnit::Unknown)
        titles.x += units.frequency == FrequencyUnit::Hertz ? " (Hz)" : " (rad/s)";
    if (anyPhase && !anyOther) {
        titles.left = PhaseTitle;
        titles.leftIsPhase = true;
        return titles;
    }
    if (anyOther && allMagnitudes)
        titles.left = units.magnitude == MagnitudeUnit::Decibel ? "módulo (dB)" : "módulo";
    else
        titles.left = yNames.Joined();
    if (anyPhase)
        titles.right = PhaseTitle;
    return titles;
}

} // namespace talvor
