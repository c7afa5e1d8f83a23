// Plot rectangle and pixel transforms of a graph drawing.
#include "plot/graph_geometry.h"

#include "plot/curve_store.h"

namespace talvor {

PlotArea PlotAreaFor(int width, int height) { return {75, width - 10, 10, height - 18}; }

// The lower limit lands on the bottom edge and the upper on the top edge.
void VerticalTransform(double c, double d, bool logarithmic, const PlotArea& area, double& scale,
                       double& offset)
{
    if (logarithmic) {
        scale = (area.bottom - area.top) / std::log(c / d);
        offset = area.bottom - std::log(c) * scale;
    } else {
        scale = (area.bottom - area.top) / (c - d);
        offset = area.bottom - scale * c;
    }
}

// The lower limit lands on the left edge and the upper on the right edge.
void HorizontalTransform(double a, double b, bool logarithmic, const PlotArea& area, double& scale,
                         double& offset)
{
    if (logarithmic) {
        scale = (area.right - area.left) / std::log(b / a);
        offset = area.right - std::log(b) * scale;
    } else {
        scale = (area.right - area.left) / (b - a);
        offset = area.right - scale * b;
    }
}

void PhaseTransform(const PlotArea& area, double& scale, double& offset)
{
    scale = -(area.bottom - area.top) / 360.0;
    offset = area.bottom + 180 * scale;
}

void SettleLogAxes(CurveStore& store, bool eachOwnScale)
{
    for (int k = 1; k <= store.curveCount; ++k) {
        const Curve& c = store.curves[k];
        double a = eachOwnScale ? c.xMin : store.viewXMin,
               b = eachOwnScale ? c.xMax : store.viewXMax;
        if (!(a > 0) || !(b > 0))
            store.logX = false;
        if (!eachOwnScale && (!(store.viewYMin > 0) || !(store.viewYMax > 0)))
            store.logY = false;
    }
}

void ComputeTransforms(CurveStore& store, bool eachOwnScale, const PlotArea& area)
{
    // All the checks come first, so that every curve is transformed with the same axis modes.
    SettleLogAxes(store, eachOwnScale);
    for (int k = 1; k <= store.curveCount; ++k) {
        Curve& c = store.curves[k];
        double a = eachOwnScale ? c.xMin : store.viewXMin,
               b = eachOwnScale ? c.xMax : store.viewXMax;
        double lowY = eachOwnScale ? c.yMin : store.viewYMin,
               highY = eachOwnScale ? c.yMax : store.viewYMax;
        VerticalTransform(lowY, highY, store.logY, area, c.scaleY, c.offsetY);
        HorizontalTransform(a, b, store.logX, area, c.scaleX, c.offsetX);
    }
    PhaseTransform(area, store.phaseScale, store.phaseOffset);
}

} // namespace talvor
