// Where each part of a graph drawing goes: the plot rectangle and the legends, and with numbered
// divisions the ticks with their labels and the axis titles. The painter draws from it and the
// graph window answers clicks on the legends from it, so both always agree.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>

#include "plot/axis_labels.h"
#include "plot/curve_store.h"
#include "plot/graph_geometry.h"

namespace talvor {

struct PlotOptions;

// The graph's text, 11 pixels high: antialiased with numbered divisions; without them aliased,
// so that legends show the exact colours of their curves.
QFont GraphFont(bool antialiased);

// Ticks reach this far out of the plot rectangle.
constexpr int TickLength = 4;
// A legend in the box starts with a line in its curve's colour, then a gap, then the text.
constexpr int LegendSampleWidth = 18, LegendTextGap = 4;

struct GraphLayout {
    PlotArea area{};
    bool numbered = false; // "Divisões numeradas"
    // Legend n (1 to legendCount) is written in legendRows[n]; a press there chooses its colour.
    int legendCount = 0;
    QRect legendRows[MaxCurves + 1];
    QRect legendFrame; // the box around the legends; null without numbered divisions
    // Numbered divisions: ticks of the axes (none when each curve has its own scale), the top of
    // the labels under the horizontal axis, and the titles. The left ticks are on the phase scale
    // when titles.leftIsPhase; rightTicks exist when titles.right does.
    AxisTicks xTicks, leftTicks, rightTicks;
    int xLabelTop = 0;
    AxisTitles titles;
    QRect xTitle, leftTitle, rightTitle; // the side titles run upwards in their tall rectangles
};

// The layout of a drawing of size (in units) with the store's limits and axis modes as they are
// (the painter settles the logarithmic axes before it asks).
void LayOutGraph(const CurveStore& store, const PlotOptions& options, QSize size,
                 GraphLayout& layout);

// The label of tick i of a side, in the cell its text fills: centred under its tick on the
// horizontal axis, right-aligned left of the plot, left-aligned right of it on the phase scale.
enum class TickSide { Bottom, Left, Right };
const AxisTicks& TicksOn(const GraphLayout& layout, TickSide side);
QRectF TickLabelRect(const GraphLayout& layout, TickSide side, int i);

// What a press at a point of the drawing area chooses: the colour of the curve whose legend it
// is on, the grid colours anywhere else left of the plot, or nothing (the plot, where a drag
// zooms).
struct LegendHit {
    enum Kind { Nothing, CurveColour, GridColours } kind = Nothing;
    int curve = 0;
};
LegendHit HitLegends(const GraphLayout& layout, QPoint at);

} // namespace talvor
