// The graph window's commands on the curve store: zoom, pan, the normal view, colours, readout.
#include "plot/graph_commands.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "plot/curve_store.h"
#include "plot/plot_run.h"

namespace {

// The limits of one axis and how it is drawn.
struct Axis {
    double& low;
    double& high;
    bool logarithmic;
};

Axis HorizontalAxis(CurveStore& store) { return {store.viewXMin, store.viewXMax, store.logX}; }
Axis VerticalAxis(CurveStore& store) { return {store.viewYMin, store.viewYMax, store.logY}; }

// Limits the drawing can turn into a transform: a repeated zoom or pan would otherwise end in
// infinite, equal or (on a logarithmic axis) zero limits, and a division by zero at the next drawing.
bool Drawable(double low, double high, bool logarithmic)
{
    return std::isfinite(low) && std::isfinite(high) && low != high && (!logarithmic || (low > 0 && high > 0));
}

bool SetLimits(Axis axis, double low, double high)
{
    if (!Drawable(low, high, axis.logarithmic))
        return false;
    axis.low = low;
    axis.high = high;
    return true;
}

// Halves the axis (a square root of the ratio on a logarithmic axis), the lower end fixed.
bool ZoomIn(Axis axis)
{
    double high = axis.logarithmic ? std::sqrt(axis.high / axis.low) * axis.low
                                   : (axis.high - axis.low) * 0.5 + axis.low;
    return SetLimits(axis, axis.low, high);
}

// Doubles the axis (squares the ratio), the lower end fixed.
bool ZoomOut(Axis axis)
{
    double ratio = axis.high / axis.low;
    double high = axis.logarithmic ? axis.low * ratio * ratio : (axis.high - axis.low) * 2 + axis.low;
    return SetLimits(axis, axis.low, high);
}

// Moves the view a quarter of the axis up (toward higher values) or down.
bool Pan(Axis axis, bool up)
{
    if (axis.logarithmic) {
        double fourthRoot = std::sqrt(std::sqrt(axis.high / axis.low));
        return up ? SetLimits(axis, axis.low * fourthRoot, axis.high * fourthRoot)
                  : SetLimits(axis, axis.low / fourthRoot, axis.high / fourthRoot);
    }
    double quarter = (axis.high - axis.low) * 0.25;
    return up ? SetLimits(axis, axis.low + quarter, axis.high + quarter)
              : SetLimits(axis, axis.low - quarter, axis.high - quarter);
}

void ScanLimitField(const std::string& text, double& limit)
{
    double value;
    if (std::sscanf(text.c_str(), "%lg", &value) == 1 && std::isfinite(value))
        limit = value;
}

double PixelValue(int pixel, double scale, double offset, bool logarithmic)
{
    double value = (pixel - offset) / scale;
    // + 0.0 turns a negative zero into zero: the readout shows "Y=0", not "Y=-0".
    return logarithmic ? std::exp(value) : value + 0.0;
}

} // namespace

bool ApplyViewCommand(CurveStore& store, ViewCommand command)
{
    switch (command) {
    case ViewCommand::ZoomInX: return ZoomIn(HorizontalAxis(store));
    case ViewCommand::ZoomOutX: return ZoomOut(HorizontalAxis(store));
    case ViewCommand::ZoomInY: return ZoomIn(VerticalAxis(store));
    case ViewCommand::ZoomOutY: return ZoomOut(VerticalAxis(store));
    case ViewCommand::Left: return Pan(HorizontalAxis(store), false);
    case ViewCommand::Right: return Pan(HorizontalAxis(store), true);
    case ViewCommand::Up: return Pan(VerticalAxis(store), true);
    case ViewCommand::Down: return Pan(VerticalAxis(store), false);
    }
    return false;
}

void ReadNormalView(CurveStore& store, const PlotOptions& options)
{
    ScanLimitField(options.Exmin, store.viewXMin);
    ScanLimitField(options.Exmax, store.viewXMax);
    ScanLimitField(options.Eymin, store.viewYMin);
    ScanLimitField(options.Eymax, store.viewYMax);
}

void RandomCurveColours(CurveStore& store, ColourRandom& random)
{
    for (int k = 1; k <= MaxCurves; ++k) {
        uint32_t blue = random.Channel();
        uint32_t green = random.Channel();
        uint32_t red = random.Channel();
        store.curves[k].colour = red << 16 | green << 8 | blue;
    }
}

void ToggleColourScheme(CurveStore& store)
{
    if (store.foregroundColour == 0x000000) {
        store.foregroundColour = 0xFFFFFF;
        store.backgroundColour = 0x000000;
        store.curves[1].colour = 0xFFFFFF;
        store.majorGridColour = 0xC0C0C0;
        store.minorGridColour = 0x808080;
    } else {
        store.foregroundColour = 0x000000;
        store.backgroundColour = 0xFFFFFF;
        store.curves[1].colour = 0x000000;
        // On white the darker gray marks the decades.
        store.majorGridColour = 0x808080;
        store.minorGridColour = 0xC0C0C0;
    }
}

bool CharacterCommand(CurveStore& store, const PlotOptions& options, ColourRandom& random, char key)
{
    switch (key) {
    case 'a': ApplyViewCommand(store, ViewCommand::ZoomInX); return true;
    case 'r': ApplyViewCommand(store, ViewCommand::ZoomOutX); return true;
    case '+': ApplyViewCommand(store, ViewCommand::ZoomInY); return true;
    case '-': ApplyViewCommand(store, ViewCommand::ZoomOutY); return true;
    case '<': ApplyViewCommand(store, ViewCommand::Left); return true;
    case '>': ApplyViewCommand(store, ViewCommand::Right); return true;
    case 'u': ApplyViewCommand(store, ViewCommand::Up); return true;
    case 'd': ApplyViewCommand(store, ViewCommand::Down); return true;
    case ' ': ReadNormalView(store, options); return true;
    case 'c': RandomCurveColours(store, random); return true;
    case 'i': ToggleColourScheme(store); return true;
    default: return false;
    }
}

double ColumnValue(const CurveStore& store, int column)
{
    const Curve& first = store.curves[1];
    return PixelValue(column, first.scaleX, first.offsetX, store.logX);
}

double RowValue(const CurveStore& store, int row)
{
    const Curve& first = store.curves[1];
    return PixelValue(row, first.scaleY, first.offsetY, store.logY);
}

double RowPhase(const CurveStore& store, int row) { return PixelValue(row, store.phaseScale, store.phaseOffset, false); }

bool ZoomToBox(CurveStore& store, int x0, int y0, int x1, int y1)
{
    if (!(x0 < x1 && y0 < y1))
        return false;
    double left = ColumnValue(store, x0), right = ColumnValue(store, x1);
    double bottom = RowValue(store, y1), top = RowValue(store, y0);
    // Checked together: a box whose corners have no values (nothing drawn yet) changes nothing.
    if (!Drawable(left, right, store.logX) || !Drawable(bottom, top, store.logY))
        return false;
    store.viewXMin = left;
    store.viewXMax = right;
    store.viewYMin = bottom;
    store.viewYMax = top;
    return true;
}

void ReadoutText(const CurveStore& store, int x, int y, char* text, int size)
{
    int length = std::snprintf(text, size, "X=%g Y=%g", ColumnValue(store, x), RowValue(store, y));
    if (store.anyPhase && length >= 0 && length < size)
        std::snprintf(text + length, size - length, " F=%g", RowPhase(store, y));
}

void DragText(const CurveStore& store, int x0, int y0, int x1, int y1, char* text, int size)
{
    double dX = ColumnValue(store, x1) - ColumnValue(store, x0);
    double dY = RowValue(store, y0) - RowValue(store, y1);
    std::snprintf(text, size, "dX=%g dY=%g", dX, dY);
}
