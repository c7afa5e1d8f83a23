// The plotting state shared by the curve list and the graph window: curves, their ranges, the
// view limits, the pixel transforms of the last drawing, the palette and the flags.
#pragma once

#include <cstddef>
#include <cstdint>

namespace talvor {

constexpr int MaxCurves = 20;
constexpr int MaxPoints = 50000;
constexpr double RangeSentinel = 1e50;

// Item index of the "Escala" radio group.
enum class ScaleMode { LinearLinear = 0, LogLog = 1, LinearLog = 2, LogLinear = 3 };

// MaxPoints doubles that read as zero from the start. The block comes from calloc, which maps
// fresh zero pages: the 24 MB of the store cost nothing until a Plot run writes into them, so
// the program starts light.
class PointSlots {
public:
    PointSlots();
    ~PointSlots();
    PointSlots(const PointSlots&) = delete;
    PointSlots& operator=(const PointSlots&) = delete;

    double& operator[](size_t i) { return data_[i]; }
    const double& operator[](size_t i) const { return data_[i]; }
    double* data() { return data_; }
    const double* data() const { return data_; }

private:
    double* data_;
};

struct Curve {
    char fileName[256] = "";
    char xName[20] = "";
    char yName[20] = "";
    char operation = ' '; // '+', '-', 'x' act; anything else only shows in the legend
    char legend[64] = ""; // shown instead of the column names when not empty
    int xColumn = 0;
    int yColumn = 0;
    int pointCount = 0;
    // Point i (from 0) is (x[i], y[i]); MaxPoints slots reserved once, never cleared.
    PointSlots x;
    PointSlots y;
    bool isPhase = false;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    uint32_t colour = 0; // 24-bit RGB
    double scaleX = 0, offsetX = 0, scaleY = 0, offsetY = 0;
};

// What the drawing plots for each point, derived once per Plot run (and again only if an axis
// stops being logarithmic): ln x on a logarithmic horizontal axis, and the drawn y value (after
// "+"/"-" and phase folding), as ln on a logarithmic vertical axis. Kept here so that zoom and
// pan never recompute logarithms.
struct PlotPositions {
    bool valid = false;
    bool lnX = false;
    bool lnY = false;
    PointSlots x[MaxCurves + 1]; // used only when lnX
    PointSlots y[MaxCurves + 1];
};

class CurveStore {
public:
    CurveStore();

    // Curve k is curves[k], 1 <= k <= curveCount; slot 0 stays unused.
    Curve curves[MaxCurves + 1];
    int curveCount = 0;
    bool plotReady = false;
    bool pictureSaved = false;
    bool anyPhase = false;
    bool logX = false;
    bool logY = false;
    double viewXMin = 0, viewXMax = 0, viewYMin = 0, viewYMax = 0;
    double phaseScale = 0, phaseOffset = 0;
    uint32_t majorGridColour = 0, minorGridColour = 0, foregroundColour = 0, backgroundColour = 0;
    PlotPositions positions;

    void SetDefaultPalette();
    void beginPlot();
    // Returns the new curve's number, or 0 when MaxCurves are already there.
    int addCurve(const char* fileName, const char* xName, const char* yName, char operation,
                 const char* legend = "");
    void computeRanges(bool phaseOption, ScaleMode mode);
    // Fills positions for the current logX/logY unless they already match.
    void PreparePositions();
};

constexpr bool LogXMode(ScaleMode m) { return m == ScaleMode::LogLog || m == ScaleMode::LogLinear; }
constexpr bool LogYMode(ScaleMode m) { return m == ScaleMode::LogLog || m == ScaleMode::LinearLog; }

} // namespace talvor
