// Cursors on the drawn curves: snapping, stepping and the readout.
#include "plot/graph_cursors.h"

#include <cmath>
#include <cstdio>

#include "common/c_text.h"
#include "plot/axis_labels.h"
#include "plot/curve_store.h"
#include "plot/graph_geometry.h"
#include "plot/plot_run.h"

namespace talvor {

namespace {

// What the last drawing plotted for curve k (ln x on a logarithmic horizontal axis; y after "+"
// and "-", folded for a phase, ln y on a logarithmic vertical axis) and how it placed it.
struct CurvePositions {
    const double* x;
    const double* y;
    int count;
    double scaleX, offsetX, scaleY, offsetY;
};

CurvePositions PositionsOf(const CurveStore& store, int k)
{
    const Curve& c = store.curves[k];
    return {store.positions.lnX ? store.positions.x[k].data() : c.x.data(),
            store.positions.y[k].data(),
            c.pointCount,
            c.scaleX,
            c.offsetX,
            c.isPhase ? store.phaseScale : c.scaleY,
            c.isPhase ? store.phaseOffset : c.offsetY};
}

bool Drawable(const CurvePositions& p, int i)
{
    return std::isfinite(p.x[i]) && std::isfinite(p.y[i]);
}

bool PlacePositions(const CurveStore& store, const CursorPlace& place, double& x, double& y)
{
    if (!place.placed || !store.positions.valid || place.curve < 1 ||
        place.curve > store.curveCount)
        return false;
    const CurvePositions p = PositionsOf(store, place.curve);
    if (place.index < 0 || place.index >= p.count)
        return false;
    x = p.x[place.index];
    y = p.y[place.index];
    if (place.t > 0 && place.index + 1 < p.count) {
        x += place.t * (p.x[place.index + 1] - x);
        y += place.t * (p.y[place.index + 1] - y);
    }
    return std::isfinite(x) && std::isfinite(y);
}

// Whether the curves of the two cursors hold magnitudes in dB: as the run's options tell, or
// else when any of their values is negative.
bool InDecibels(const Curve& a, const Curve& b, const PlotOptions& options)
{
    const bool stated = options.tableUnits.magnitude != MagnitudeUnit::Unknown &&
                        (options.tableUnitsPath.empty() || (options.tableUnitsPath == a.fileName &&
                                                            options.tableUnitsPath == b.fileName));
    if (stated)
        return options.tableUnits.magnitude == MagnitudeUnit::Decibel;
    for (const Curve* c : {&a, &b})
        for (int i = 0; i < c->pointCount; ++i)
            if (c->y[i] < 0)
                return true;
    return false;
}

void Append(std::string& text, const char* format, const char* name, double value)
{
    char field[160];
    std::snprintf(field, sizeof field, format, DisplayText(name).c_str(), value);
    text += field;
}

} // namespace

bool CursorValues(const CurveStore& store, const CursorPlace& place, double& x, double& y)
{
    if (!PlacePositions(store, place, x, y))
        return false;
    if (store.positions.lnX)
        x = std::exp(x);
    if (store.positions.lnY && !store.curves[place.curve].isPhase)
        y = std::exp(y);
    return true;
}

bool CursorPixel(const CurveStore& store, const CursorPlace& place, double& column, double& row)
{
    double x, y;
    if (!PlacePositions(store, place, x, y))
        return false;
    const CurvePositions p = PositionsOf(store, place.curve);
    column = x * p.scaleX + p.offsetX;
    row = y * p.scaleY + p.offsetY;
    return std::isfinite(column) && std::isfinite(row);
}

bool SnapToCurve(const CurveStore& store, bool breakWraps, double column, double row,
                 CursorPlace& place)
{
    if (!store.positions.valid)
        return false;
    double nearest = INFINITY;
    CursorPlace found;
    auto consider = [&](double distanceSquared, int k, int index, double t) {
        if (distanceSquared < nearest) {
            nearest = distanceSquared;
            found = {true, k, index, t};
        }
    };
    for (int k = 1; k <= store.curveCount; ++k) {
        if (store.curves[k].operation == 'x')
            continue;
        const CurvePositions p = PositionsOf(store, k);
        const bool wraps = breakWraps && store.curves[k].isPhase;
        double previousColumn = 0, previousRow = 0;
        bool joined = false; // to the previous sample by a drawn line
        for (int i = 0; i < p.count; ++i) {
            if (!Drawable(p, i)) {
                joined = false;
                continue;
            }
            const double c = p.x[i] * p.scaleX + p.offsetX, r = p.y[i] * p.scaleY + p.offsetY;
            consider((c - column) * (c - column) + (r - row) * (r - row), k, i, 0);
            if (joined && !(wraps && IsPhaseWrap(p.y[i - 1], p.y[i]))) {
                // The nearest point of the line from the previous sample, short of this one.
                const double dc = c - previousColumn, dr = r - previousRow;
                const double length = dc * dc + dr * dr;
                const double t =
                    length > 0
                        ? ((column - previousColumn) * dc + (row - previousRow) * dr) / length
                        : 0;
                if (t > 0 && t < 1) {
                    const double qc = previousColumn + t * dc - column,
                                 qr = previousRow + t * dr - row;
                    consider(qc * qc + qr * qr, k, i - 1, t);
                }
            }
            previousColumn = c, previousRow = r;
            joined = true;
        }
    }
    if (!found.placed)
        return false;
    place = found;
    return true;
}

void StepAlongCurve(const CurveStore& store, CursorPlace& place, int steps)
{
    if (!place.placed || !store.positions.valid || place.curve < 1 ||
        place.curve > store.curveCount)
        return;
    const CurvePositions p = PositionsOf(store, place.curve);
    if (p.count == 0)
        return;
    // Between samples, the first step back lands on the sample behind.
    int i = place.index + steps + (steps < 0 && place.t > 0 ? 1 : 0);
    i = i < 0 ? 0 : i >= p.count ? p.count - 1 : i;
    const int direction = steps < 0 ? -1 : 1;
    for (int j = i; j >= 0 && j < p.count; j += direction) {
        if (Drawable(p, j)) {
            place.index = j;
            place.t = 0;
            return;
        }
    }
}

std::string CursorReadout(const CurveStore& store, const GraphCursors& cursors,
                          const PlotOptions& options)
{
    std::string text;
    double x[2], y[2];
    bool shown[2] = {false, false};
    for (int n = 0; n < 2; ++n) {
        const CursorPlace& place = cursors.place[n];
        shown[n] = CursorValues(store, place, x[n], y[n]);
        if (!shown[n])
            continue;
        const Curve& c = store.curves[place.curve];
        char label[16];
        std::snprintf(label, sizeof label, "%s%d:", text.empty() ? "" : "   ", n + 1);
        text += label;
        Append(text, " %s=%.5g", c.xName, x[n]);
        Append(text, " %s=%.4g", c.yName, y[n]);
    }
    if (!shown[0] || !shown[1])
        return text;
    const Curve& first = store.curves[cursors.place[0].curve];
    const Curve& second = store.curves[cursors.place[1].curve];
    Append(text, "   \xce\x94%s=%.5g", first.xName, x[1] - x[0]);
    Append(text, " \xce\x94%s=%.4g", "y", y[1] - y[0]);
    if (!first.isPhase && !second.isPhase && IsMagnitudeName(first.yName) &&
        IsMagnitudeName(second.yName)) {
        const double ratio =
            InDecibels(first, second, options) ? y[1] - y[0] : 20 * std::log10(y[1] / y[0]);
        if (std::isfinite(ratio)) {
            char field[40];
            std::snprintf(field, sizeof field, " (%+.4g dB)", ratio);
            text += field;
        }
    }
    return text;
}

} // namespace talvor
