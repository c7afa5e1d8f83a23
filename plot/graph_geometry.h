// The geometry of a graph drawing, without any drawing: the plot rectangle, the pixel
// transforms, value-to-pixel mapping with its clamp, and the grid lines of an axis.
#pragma once

#include <cmath>
#include <cstdlib>

namespace talvor {

class CurveStore;

struct PlotArea {
    int left, right, top, bottom;
};

// The plot rectangle of a drawing area of width x height pixels (y grows downwards).
PlotArea PlotAreaFor(int width, int height);

// Clears logX (and, without eachOwnScale, logY) when a limit of that axis is not positive: the
// view limits or, with eachOwnScale, a curve's own range.
void SettleLogAxes(CurveStore& store, bool eachOwnScale);

// The transforms of an axis from its limits: the lower limit lands on the left (bottom) edge and
// the upper on the right (top) edge.
void HorizontalTransform(double low, double high, bool logarithmic, const PlotArea& area,
                         double& scale, double& offset);
void VerticalTransform(double low, double high, bool logarithmic, const PlotArea& area,
                       double& scale, double& offset);
// Phase 0 halfway between top and bottom, +180 on the top edge, -180 on the bottom edge.
void PhaseTransform(const PlotArea& area, double& scale, double& offset);

// Settles the log axes, then computes the transforms of every curve and the phase transform for
// a drawing, from the view limits or, with eachOwnScale, from each curve's own range.
void ComputeTransforms(CurveStore& store, bool eachOwnScale, const PlotArea& area);

// Pixel coordinates never go beyond this, so drawing calls never get larger numbers.
constexpr int PixelLimit = 32000;

// A curve point's pixel: position (the value, or its logarithm on a logarithmic axis) times
// scale plus offset, clamped to +/-PixelLimit, plus 0.5 and truncated toward zero. False when
// the point has no position (an undefined logarithm, a transform of equal limits).
inline bool MapToPixel(double position, double scale, double offset, int& pixel)
{
    double t = position * scale + offset;
    if (std::isnan(t))
        return false;
    if (t > PixelLimit)
        t = PixelLimit;
    else if (t < -PixelLimit)
        t = -PixelLimit;
    pixel = static_cast<int>(t + 0.5);
    return true;
}

// Neighbouring points of a phase curve more than half a turn apart: the phase wrapped between
// them (from -180 to +180 degrees or back), and no line joins them.
inline bool IsPhaseWrap(double previous, double next) { return std::abs(next - previous) > 180; }

enum class GridColour { Gray, Major, Minor };

// Lines of a logarithmic axis closer than this (in pixels) would hide the curves under the grid:
// that axis then shows only its decade lines.
constexpr int MinGridSpacing = 3;

namespace grid_detail {

// Visits every line of the grid: visit(pixel, colour, decade), where decade marks the lines at
// which a logarithmic axis's step grows tenfold.
template <class Visit>
void WalkGridLines(double low, double high, bool logarithmic, double scale, double offset,
                   GridColour& colour, Visit visit)
{
    double d = logarithmic && (high - low) > low ? low : high - low;
    double step = std::pow(10.0, std::floor(std::log(d) / std::log(10.0) - 0.499999 + 0.5));
    if (!(step > 0) || !std::isfinite(step))
        return; // reversed, equal or undefined limits: no grid on this axis
    double v = std::floor(low / step + 1) * step;
    // Bounds the loop when the step is below the resolution of v (limits far from zero).
    for (int lines = 0; v < high && lines < 100000; ++lines) {
        const bool decade = logarithmic && std::floor(v / step + 0.5) == 10;
        if (decade) {
            step *= 10;
            colour = GridColour::Major;
        }
        double t = std::floor((logarithmic ? std::log(v) : v) * scale + offset + 0.5);
        if (t == t)
            visit(static_cast<int>(std::fmax(-PixelLimit, std::fmin(PixelLimit, t))), colour,
                  decade);
        double next = v + step;
        if (!(next > v))
            break;
        v = next;
        if (logarithmic)
            colour = GridColour::Minor;
    }
}

} // namespace grid_detail

// Calls draw(pixel, colour) for each grid line of the axis from low to high: the multiples of a
// power-of-ten step strictly inside the limits; on a logarithmic axis the step grows tenfold at
// every decade line, drawn in the major colour, and the lines after it in the minor colour.
// colour is the pen colour carried from one axis to the next. A logarithmic axis whose lines
// would come closer than MinGridSpacing draws its decade lines only.
template <class Draw>
void ForEachGridLine(double low, double high, bool logarithmic, double scale, double offset,
                     GridColour& colour, Draw draw)
{
    bool decadesOnly = false;
    if (logarithmic) {
        GridColour unused = colour;
        int previous = 0;
        bool first = true;
        grid_detail::WalkGridLines(
            low, high, true, scale, offset, unused, [&](int pixel, GridColour, bool) {
                decadesOnly |= !first && std::abs(pixel - previous) < MinGridSpacing;
                previous = pixel;
                first = false;
            });
    }
    grid_detail::WalkGridLines(low, high, logarithmic, scale, offset, colour,
                               [&](int pixel, GridColour c, bool decade) {
                                   if (decade || !decadesOnly)
                                       draw(pixel, c);
                               });
}

} // namespace talvor
