// Zoom, pan, normal view and colour commands of the graph window.
#include "plot/view_commands.h"

#include <cmath>

#include "plot/colour_contrast.h"
#include "plot/curve_store.h"
#include "plot/plot_run.h"

namespace talvor {

bool CommandForCharacter(char c, ViewCommand& command)
{
    switch (c) {
    case 'a':
        command = ViewCommand::ZoomInX;
        return true;
    case 'r':
        command = ViewCommand::ZoomOutX;
        return true;
    case '+':
        command = ViewCommand::ZoomInY;
        return true;
    case '-':
        command = ViewCommand::ZoomOutY;
        return true;
    case '<':
        command = ViewCommand::MoveLeft;
        return true;
    case '>':
        command = ViewCommand::MoveRight;
        return true;
    case 'u':
        command = ViewCommand::MoveUp;
        return true;
    case 'd':
        command = ViewCommand::MoveDown;
        return true;
    case ' ':
        command = ViewCommand::NormalView;
        return true;
    case 'c':
        command = ViewCommand::RandomColours;
        return true;
    case 'i':
        command = ViewCommand::ToggleScheme;
        return true;
    default:
        return false;
    }
}

ViewLimits LimitsOf(const CurveStore& store)
{
    return {store.viewXMin, store.viewXMax, store.viewYMin, store.viewYMax};
}

void ViewHistory::Push(const ViewLimits& view)
{
    newest_ = (newest_ + 1) % Capacity;
    views_[newest_] = view;
    if (count_ < Capacity)
        ++count_;
}

bool ViewHistory::Back(CurveStore& store)
{
    if (count_ == 0)
        return false;
    const ViewLimits& view = views_[newest_];
    store.viewXMin = view.xMin, store.viewXMax = view.xMax;
    store.viewYMin = view.yMin, store.viewYMax = view.yMax;
    newest_ = (newest_ + Capacity - 1) % Capacity;
    --count_;
    return true;
}

int ChannelGenerator::Next()
{
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) % 255);
}

namespace {

// Limits the drawing can turn into a finite transform. Repeated zooms and pans would otherwise
// end in infinite or equal limits, a range too small to divide by, or a zero on a logarithmic
// axis, and the next drawing would divide by zero; such a step leaves the limits as they were.
bool Drawable(double low, double high, bool logarithmic)
{
    double range = high - low;
    if (!std::isfinite(range) || std::fabs(range) < 1e-290)
        return false;
    // Both ends must tell apart a 65536th of the range: no window has that many pixels.
    if (low + range / 65536 == low || high - range / 65536 == high)
        return false;
    return !logarithmic || (std::isnormal(low) && std::isnormal(high) && low > 0 && high > 0);
}

void SetIfDrawable(double& low, double& high, bool logarithmic, double newLow, double newHigh)
{
    if (!Drawable(newLow, newHigh, logarithmic))
        return;
    low = newLow;
    high = newHigh;
}

// The upper limit moves: half the view (zoom in) or twice it (zoom out), the lower limit fixed.
void Zoom(double& low, double& high, bool logarithmic, bool in)
{
    double newHigh;
    if (logarithmic) {
        double ratio = high / low;
        newHigh = in ? std::sqrt(ratio) * low : low * ratio * ratio;
    } else {
        double range = high - low;
        newHigh = range * (in ? 0.5 : 2) + low;
    }
    SetIfDrawable(low, high, logarithmic, low, newHigh);
}

// Both limits move a quarter of the view up (towards larger values) or down.
void Move(double& low, double& high, bool logarithmic, bool up)
{
    if (logarithmic) {
        double quarter = std::sqrt(std::sqrt(high / low));
        SetIfDrawable(low, high, logarithmic, up ? low * quarter : low / quarter,
                      up ? high * quarter : high / quarter);
    } else {
        double quarter = (high - low) * 0.25;
        SetIfDrawable(low, high, logarithmic, up ? low + quarter : low - quarter,
                      up ? high + quarter : high - quarter);
    }
}

// A pixel's value; + 0.0 turns a negative zero into zero, so the readout never shows "-0".
double PixelValue(int pixel, double scale, double offset, bool logarithmic)
{
    double v = (pixel - offset) / scale;
    return logarithmic ? std::exp(v) : v + 0.0;
}

// Three channels, blue first; a colour too close to the background to see is drawn again.
uint32_t RandomColour(ChannelGenerator& channels, uint32_t background)
{
    uint32_t colour = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        uint32_t blue = static_cast<uint32_t>(channels.Next());
        uint32_t green = static_cast<uint32_t>(channels.Next());
        uint32_t red = static_cast<uint32_t>(channels.Next());
        colour = red << 16 | green << 8 | blue;
        if (!TooCloseToBackground(colour, background))
            break;
    }
    return LegibleColour(colour, background);
}

void ToggleScheme(CurveStore& store)
{
    bool toWhiteOnBlack = store.foregroundColour == 0x000000;
    store.foregroundColour = toWhiteOnBlack ? 0xFFFFFF : 0x000000;
    store.backgroundColour = toWhiteOnBlack ? 0x000000 : 0xFFFFFF;
    store.curves[1].colour = store.foregroundColour;
    store.majorGridColour = toWhiteOnBlack ? 0xC0C0C0 : 0x808080;
    store.minorGridColour = toWhiteOnBlack ? 0x808080 : 0xC0C0C0;
}

} // namespace

void ApplyViewCommand(CurveStore& store, ViewCommand command, const PlotOptions& fields,
                      ChannelGenerator& channels)
{
    switch (command) {
    case ViewCommand::ZoomInX:
        Zoom(store.viewXMin, store.viewXMax, store.logX, true);
        break;
    case ViewCommand::ZoomOutX:
        Zoom(store.viewXMin, store.viewXMax, store.logX, false);
        break;
    case ViewCommand::ZoomInY:
        Zoom(store.viewYMin, store.viewYMax, store.logY, true);
        break;
    case ViewCommand::ZoomOutY:
        Zoom(store.viewYMin, store.viewYMax, store.logY, false);
        break;
    case ViewCommand::MoveLeft:
        Move(store.viewXMin, store.viewXMax, store.logX, false);
        break;
    case ViewCommand::MoveRight:
        Move(store.viewXMin, store.viewXMax, store.logX, true);
        break;
    case ViewCommand::MoveUp:
        Move(store.viewYMin, store.viewYMax, store.logY, true);
        break;
    case ViewCommand::MoveDown:
        Move(store.viewYMin, store.viewYMax, store.logY, false);
        break;
    case ViewCommand::NormalView:
        ReadLimitFields(store, fields);
        break;
    case ViewCommand::RandomColours:
        for (int k = 1; k <= MaxCurves; ++k)
            store.curves[k].colour = RandomColour(channels, store.backgroundColour);
        break;
    case ViewCommand::ToggleScheme:
        ToggleScheme(store);
        break;
    }
}

double ColumnValue(const CurveStore& store, int column)
{
    const Curve& c = store.curves[1];
    return PixelValue(column, c.scaleX, c.offsetX, store.logX);
}

double RowValue(const CurveStore& store, int row)
{
    const Curve& c = store.curves[1];
    return PixelValue(row, c.scaleY, c.offsetY, store.logY);
}

double RowPhase(const CurveStore& store, int row)
{
    return PixelValue(row, store.phaseScale, store.phaseOffset, false);
}

bool ZoomToBox(CurveStore& store, int x0, int y0, int x1, int y1)
{
    if (!(x0 < x1 && y0 < y1))
        return false;
    double left = ColumnValue(store, x0), right = ColumnValue(store, x1);
    double bottom = RowValue(store, y1), top = RowValue(store, y0);
    // Before any drawing the transforms are zero and no pixel has a value.
    if (!Drawable(left, right, store.logX) || !Drawable(bottom, top, store.logY))
        return false;
    store.viewXMin = left;
    store.viewXMax = right;
    store.viewYMin = bottom;
    store.viewYMax = top;
    return true;
}

} // namespace talvor
