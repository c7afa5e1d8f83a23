// Zoom, pan, normal view and colour commands of the graph window.
#include "plot/view_commands.h"

#include <cmath>

#include "plot/curve_store.h"
#include "plot/plot_run.h"

bool CommandForCharacter(char c, ViewCommand& command)
{
    switch (c) {
    case 'a': command = ViewCommand::ZoomInX; return true;
    case 'r': command = ViewCommand::ZoomOutX; return true;
    case '+': command = ViewCommand::ZoomInY; return true;
    case '-': command = ViewCommand::ZoomOutY; return true;
    case '<': command = ViewCommand::MoveLeft; return true;
    case '>': command = ViewCommand::MoveRight; return true;
    case 'u': command = ViewCommand::MoveUp; return true;
    case 'd': command = ViewCommand::MoveDown; return true;
    case ' ': command = ViewCommand::NormalView; return true;
    case 'c': command = ViewCommand::RandomColours; return true;
    case 'i': command = ViewCommand::ToggleScheme; return true;
    default: return false;
    }
}

int ChannelGenerator::Next()
{
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) % 255);
}

namespace {

// The upper limit moves: half the view (zoom in) or twice it (zoom out), the lower limit fixed.
void Zoom(double low, double& high, bool logarithmic, bool in)
{
    if (logarithmic) {
        double ratio = high / low;
        high = in ? std::sqrt(ratio) * low : low * ratio * ratio;
    } else {
        double range = high - low;
        high = range * (in ? 0.5 : 2) + low;
    }
}

// Both limits move a quarter of the view up (towards larger values) or down.
void Move(double& low, double& high, bool logarithmic, bool up)
{
    if (logarithmic) {
        double quarter = std::sqrt(std::sqrt(high / low));
        low = up ? low * quarter : low / quarter;
        high = up ? high * quarter : high / quarter;
    } else {
        double quarter = (high - low) * 0.25;
        low = up ? low + quarter : low - quarter;
        high = up ? high + quarter : high - quarter;
    }
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
    case ViewCommand::ZoomInX: Zoom(store.viewXMin, store.viewXMax, store.logX, true); break;
    case ViewCommand::ZoomOutX: Zoom(store.viewXMin, store.viewXMax, store.logX, false); break;
    case ViewCommand::ZoomInY: Zoom(store.viewYMin, store.viewYMax, store.logY, true); break;
    case ViewCommand::ZoomOutY: Zoom(store.viewYMin, store.viewYMax, store.logY, false); break;
    case ViewCommand::MoveLeft: Move(store.viewXMin, store.viewXMax, store.logX, false); break;
    case ViewCommand::MoveRight: Move(store.viewXMin, store.viewXMax, store.logX, true); break;
    case ViewCommand::MoveUp: Move(store.viewYMin, store.viewYMax, store.logY, true); break;
    case ViewCommand::MoveDown: Move(store.viewYMin, store.viewYMax, store.logY, false); break;
    case ViewCommand::NormalView: ReadLimitFields(store, fields); break;
    case ViewCommand::RandomColours:
        for (int k = 1; k <= MaxCurves; ++k) {
            uint32_t blue = static_cast<uint32_t>(channels.Next());
            uint32_t green = static_cast<uint32_t>(channels.Next());
            uint32_t red = static_cast<uint32_t>(channels.Next());
            store.curves[k].colour = red << 16 | green << 8 | blue;
        }
        break;
    case ViewCommand::ToggleScheme: ToggleScheme(store); break;
    }
}

double ColumnValue(const CurveStore& store, int column)
{
    const Curve& c = store.curves[1];
    double v = (column - c.offsetX) / c.scaleX;
    return store.logX ? std::exp(v) : v;
}

double RowValue(const CurveStore& store, int row)
{
    const Curve& c = store.curves[1];
    double v = (row - c.offsetY) / c.scaleY;
    return store.logY ? std::exp(v) : v;
}

double RowPhase(const CurveStore& store, int row) { return (row - store.phaseOffset) / store.phaseScale; }
