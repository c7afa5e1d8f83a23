// Two cursors that stand on the curves of the graph: placed at the curve point nearest the mouse
// (between samples, on the line the drawing joins them with), moved sample by sample along their
// curve, and read out with their differences.
#pragma once

#include <string>

namespace talvor {

class CurveStore;
struct PlotOptions;

// A point of curve `curve`: the fraction t (0 <= t < 1) of the way from sample `index` (from 0)
// to the next one.
struct CursorPlace {
    bool placed = false;
    int curve = 0;
    int index = 0;
    double t = 0;
};

struct GraphCursors {
    CursorPlace place[2]; // cursor 1 and cursor 2
    int active = 0;       // the one the keys move: the last placed
    bool Any() const { return place[0].placed || place[1].placed; }
};

// The values of a place as the curve is drawn: x, and y after "+" or "-" and the phase fold,
// interpolated along the drawn line. False when the place has no drawable point.
bool CursorValues(const CurveStore& store, const CursorPlace& place, double& x, double& y);

// The pixel of a place with the transforms of the last drawing.
bool CursorPixel(const CurveStore& store, const CursorPlace& place, double& column, double& row);

// Places at the point of the drawn lines of the shown curves nearest to (column, row); a wrap of
// a phase curve is no line when breakWraps is set. False, place untouched, when no curve has a
// drawable point.
bool SnapToCurve(const CurveStore& store, bool breakWraps, double column, double row,
                 CursorPlace& place);

// Moves a place by steps samples along its curve (negative: backwards) to a sample with a
// drawable point, stopping at the curve's ends.
void StepAlongCurve(const CurveStore& store, CursorPlace& place, int steps);

// The status line of the cursors: each one's values under its curve's column names, and with
// both their differences, with the ratio in dB when both stand on magnitudes. Empty with none.
std::string CursorReadout(const CurveStore& store, const GraphCursors& cursors,
                          const PlotOptions& options);

} // namespace talvor
