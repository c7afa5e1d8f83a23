// What the axes of a graph with numbered divisions say: round values along each axis, placed so
// that neighbouring labels keep clear of each other, and the axis titles from the column names.
#pragma once

#include <cstddef>
#include <string>

namespace talvor {

class CurveStore;
struct PlotOptions;

constexpr int MaxAxisTicks = 64;

struct AxisTick {
    double value; // what the label names
    int pixel;    // where it lies along the axis
    char text[24];
};

struct AxisTicks {
    int count = 0;
    AxisTick ticks[MaxAxisTicks];
};

// Linear: steps of 1, 2 or 5 times a power of ten. Logarithmic: the decades (every second,
// fifth, tenth... where they crowd); with fewer than three decades 1, 2 and 5 times them where
// they fit, and where those give fewer than two labels, linear steps. Phase: the fixed scale of
// -180 to 180 degrees in steps of 45, 90 or 180.
enum class AxisKind { Linear, Logarithmic, Phase };

struct AxisSpan {
    AxisKind kind = AxisKind::Linear;
    double low = 0, high = 0;     // the view limits of the axis
    double scale = 0, offset = 0; // pixel = position x scale + offset, as the curves are drawn
    double minSpacing = 0;        // pixels from one tick to the next, at least
    double gap = 0;               // pixels between neighbouring labels, at least
};

// The extent of a label along the axis in pixels: its width on a horizontal axis, its height on
// a vertical one. Implemented by the painter with the font it writes in.
class LabelExtent {
public:
    virtual ~LabelExtent() = default;
    virtual double Of(const char* text) const = 0;
};

// Fills ticks with the densest set of round values within the limits whose labels keep the
// spacing and the gap. Equal, reversed or undefined limits give no ticks.
void ComputeAxisTicks(const AxisSpan& span, const LabelExtent& extent, AxisTicks& ticks);

// A number in engineering form with up to three significant digits: 1, 10, 100, 1k, 2.5M, 100m,
// 1µ (UTF-8); beyond the prefixes (1e-24 to 1e26) in exponent form, 1e30.
void FormatEngineering(double value, char* text, size_t size);

// A magnitude column of a sweep's table: an unknown's name followed by "m".
bool IsMagnitudeName(const char* name);

struct AxisTitles {
    std::string x;            // the horizontal axis
    std::string left;         // the vertical axis
    std::string right;        // the phase scale on the right; empty when there is none
    bool leftIsPhase = false; // every curve shown is a phase: the left axis is the phase scale
};

// Titles from the column names of the curves shown: "f (Hz)", "módulo (dB)" and "fase (graus)"
// for the columns of a sweep's table where the options tell their units, the names themselves
// for other columns. A right-hand phase scale when phase curves share the plot with others.
AxisTitles TitlesOf(const CurveStore& store, const PlotOptions& options);

} // namespace talvor
