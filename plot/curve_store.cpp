// The curve store: start-up state, the Plot run's bookkeeping and the range computation.
#include "plot/curve_store.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace talvor {

namespace {

constexpr uint32_t DefaultCurveColours[MaxCurves + 1] = {
    0,        0xFFFFFF, 0xFFFF00, 0x00FF00, 0xFF0000, 0x0000FF, 0xFFFBF0,
    0xC0DCC0, 0xFF00FF, 0x00FFFF, 0xC0C0C0, 0x800000, 0x000080, 0x808000,
    0x800080, 0xC0C0C0, 0x008080, 0xFFFFFF, 0xFFFF00, 0x00FF00, 0xFF0000,
};

void CopyText(char* to, size_t size, const char* from)
{
    size_t length = std::strlen(from);
    if (length >= size)
        length = size - 1;
    std::memcpy(to, from, length);
    to[length] = '\0';
}

// Widens a range whose ends are equal so that it can be drawn.
void WidenX(double& low, double& high)
{
    if (low != high)
        return;
    if (low == 0) {
        low = -1e-10;
        high = 1e-10;
        return;
    }
    double half = low * 0.5;
    double twice = low * 2;
    low = std::fmin(half, twice);
    high = std::fmax(half, twice);
}

} // namespace

PointSlots::PointSlots() : data_(static_cast<double*>(std::calloc(MaxPoints, sizeof(double))))
{
    if (data_ == nullptr)
        throw std::bad_alloc();
}

PointSlots::~PointSlots() { std::free(data_); }

CurveStore::CurveStore() { SetDefaultPalette(); }

void CurveStore::SetDefaultPalette()
{
    for (int k = 1; k <= MaxCurves; ++k)
        curves[k].colour = DefaultCurveColours[k];
    majorGridColour = 0xC0C0C0;
    minorGridColour = 0x808080;
    foregroundColour = 0xFFFFFF;
    backgroundColour = 0x000000;
}

void CurveStore::beginPlot()
{
    curveCount = 0;
    plotReady = false;
    anyPhase = false;
    positions.valid = false;
}

int CurveStore::addCurve(const char* fileName, const char* xName, const char* yName, char operation,
                         const char* legend)
{
    if (curveCount >= MaxCurves)
        return 0;
    Curve& curve = curves[++curveCount];
    CopyText(curve.fileName, sizeof curve.fileName, fileName);
    CopyText(curve.xName, sizeof curve.xName, xName);
    CopyText(curve.yName, sizeof curve.yName, yName);
    curve.operation = operation;
    CopyText(curve.legend, sizeof curve.legend, legend);
    curve.isPhase = false;
    curve.pointCount = 0;
    positions.valid = false;
    return curveCount;
}

void CurveStore::computeRanges(bool phaseOption, ScaleMode mode)
{
    viewXMin = viewYMin = RangeSentinel;
    viewXMax = viewYMax = -RangeSentinel;
    for (int k = 1; k <= curveCount; ++k) {
        Curve& c = curves[k];
        double xMin = RangeSentinel, yMin = RangeSentinel;
        double xMax = -RangeSentinel, yMax = -RangeSentinel;
        for (int i = 0; i < c.pointCount; ++i) {
            double x = c.x[i], y = c.y[i];
            if (x < xMin)
                xMin = x;
            if (x > xMax)
                xMax = x;
            if (y < yMin)
                yMin = y;
            if (y > yMax)
                yMax = y;
        }
        WidenX(xMin, xMax);
        if (yMin == yMax) {
            yMax += 0.1;
            yMin -= 0.1;
        }
        // + 0.0 turns -0 into 0: a zero limit reads "0" in the fields and the labels, whichever
        // zero the table wrote.
        c.xMin = xMin + 0.0;
        c.xMax = xMax + 0.0;
        c.yMin = yMin + 0.0;
        c.yMax = yMax + 0.0;
        if (c.xMin < viewXMin)
            viewXMin = c.xMin;
        if (c.xMax > viewXMax)
            viewXMax = c.xMax;
        if (!c.isPhase) {
            if (c.yMin < viewYMin)
                viewYMin = c.yMin;
            if (c.yMax > viewYMax)
                viewYMax = c.yMax;
        }
    }
    if (phaseOption && anyPhase && viewYMin == RangeSentinel) {
        viewYMin = -180;
        viewYMax = 180;
    }
    logX = LogXMode(mode) && viewXMin > 0 && viewXMax > 0;
    logY = LogYMode(mode) && viewYMin > 0 && viewYMax > 0;
}

void CurveStore::PreparePositions()
{
    if (positions.valid && positions.lnX == logX && positions.lnY == logY)
        return;
    for (int k = 1; k <= curveCount; ++k) {
        const Curve& c = curves[k];
        const Curve& previous = curves[k > 1 ? k - 1 : k];
        bool add = k > 1 && c.operation == '+';
        bool subtract = k > 1 && c.operation == '-';
        if (logX) {
            PointSlots& px = positions.x[k];
            for (int i = 0; i < c.pointCount; ++i)
                px[i] = std::log(c.x[i]);
        }
        double* py = positions.y[k].data();
        for (int i = 0; i < c.pointCount; ++i) {
            double value = c.y[i];
            if (add)
                value += previous.y[i];
            else if (subtract)
                value -= previous.y[i];
            if (c.isPhase) {
                // One fold only: 350 is drawn at -10, -400 at -40.
                if (value > 180)
                    value -= 360;
                else if (value < -180)
                    value += 360;
            } else if (logY) {
                value = std::log(value);
            }
            py[i] = value;
        }
    }
    positions.valid = true;
    positions.lnX = logX;
    positions.lnY = logY;
}

} // namespace talvor
