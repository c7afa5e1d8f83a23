// The curve store: ranges, view limits, axis modes and the positions the drawing plots.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <utility>

#include "plot/curve_store.h"

namespace {

// Adds a curve with the given points straight into the store, as the reader would.
int AddPoints(CurveStore& store, std::initializer_list<std::pair<double, double>> points,
              const char* yName = "1m", char operation = ' ')
{
    int k = store.addCurve("t.tab", "f", yName, operation);
    Curve& c = store.curves[k];
    for (auto [x, y] : points) {
        c.x[c.pointCount] = x;
        c.y[c.pointCount] = y;
        ++c.pointCount;
    }
    return k;
}

int AddPhase(CurveStore& store, std::initializer_list<std::pair<double, double>> points)
{
    int k = AddPoints(store, points, "1f");
    store.curves[k].isPhase = true;
    store.anyPhase = true;
    return k;
}

class Store : public testing::Test {
protected:
    void SetUp() override { store->beginPlot(); }
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
};

} // namespace

TEST_F(Store, StartsWithTheDefaultPalette)
{
    EXPECT_EQ(store->curves[1].colour, 0xFFFFFFu);
    EXPECT_EQ(store->curves[6].colour, 0xFFFBF0u);
    EXPECT_EQ(store->curves[12].colour, 0x000080u);
    EXPECT_EQ(store->curves[20].colour, 0xFF0000u);
    EXPECT_EQ(store->majorGridColour, 0xC0C0C0u);
    EXPECT_EQ(store->minorGridColour, 0x808080u);
    EXPECT_EQ(store->foregroundColour, 0xFFFFFFu);
    EXPECT_EQ(store->backgroundColour, 0u);
    EXPECT_FALSE(store->plotReady || store->pictureSaved || store->logX || store->logY);
}

TEST_F(Store, APhaseCurveDoesNotWidenTheVerticalLimits)
{
    AddPoints(*store, {{1, 2}, {10, 5}});
    AddPhase(*store, {{1, -90}, {100, 90}});
    store->computeRanges(true, ScaleMode::LogLog);
    EXPECT_EQ(store->viewXMin, 1);
    EXPECT_EQ(store->viewXMax, 100); // phase curves widen the horizontal limits
    EXPECT_EQ(store->viewYMin, 2);
    EXPECT_EQ(store->viewYMax, 5);
    EXPECT_TRUE(store->logX && store->logY);
}

TEST_F(Store, OnlyPhaseCurvesUseTheFixedPhaseRange)
{
    AddPhase(*store, {{1, 10}, {100, 20}});
    store->computeRanges(true, ScaleMode::LogLog);
    EXPECT_EQ(store->viewYMin, -180);
    EXPECT_EQ(store->viewYMax, 180);
    EXPECT_TRUE(store->logX);
    EXPECT_FALSE(store->logY);
}

TEST_F(Store, DegenerateRangesAreWidened)
{
    struct Case {
        double x, y;
        double xMin, xMax, yMin, yMax;
    };
    const Case cases[] = {
        {3, 7, 1.5, 6, 6.9, 7.1},
        {-4, 0, -8, -2, -0.1, 0.1},
        {0, -1, -1e-10, 1e-10, -1.1, -0.9},
    };
    for (const Case& c : cases) {
        store->beginPlot();
        AddPoints(*store, {{c.x, c.y}, {c.x, c.y}});
        store->computeRanges(false, ScaleMode::LinearLinear);
        const Curve& curve = store->curves[1];
        EXPECT_EQ(curve.xMin, c.xMin) << c.x;
        EXPECT_EQ(curve.xMax, c.xMax) << c.x;
        EXPECT_DOUBLE_EQ(curve.yMin, c.yMin) << c.y;
        EXPECT_DOUBLE_EQ(curve.yMax, c.yMax) << c.y;
    }
}

TEST_F(Store, HiddenAndOperatedCurvesWidenTheLimitsWithTheirOwnValues)
{
    AddPoints(*store, {{1, 1}, {2, 2}});
    AddPoints(*store, {{0.5, 10}, {3, 20}}, "2m", 'x');
    AddPoints(*store, {{1, 30}, {2, 40}}, "3m", '+');
    store->computeRanges(false, ScaleMode::LinearLinear);
    EXPECT_EQ(store->viewXMin, 0.5);
    EXPECT_EQ(store->viewXMax, 3);
    EXPECT_EQ(store->viewYMin, 1);
    EXPECT_EQ(store->viewYMax, 40); // not the sum 42 that is drawn
}

TEST_F(Store, LogarithmicAxesNeedPositiveLimits)
{
    struct Case {
        ScaleMode mode;
        double xStart, yStart;
        bool logX, logY;
    };
    const Case cases[] = {
        {ScaleMode::LogLog, 1, 1, true, true},     {ScaleMode::LogLog, 0, 1, false, true},
        {ScaleMode::LogLog, 1, -1, true, false},   {ScaleMode::LinearLog, 1, 1, false, true},
        {ScaleMode::LogLinear, 1, 1, true, false}, {ScaleMode::LinearLinear, 1, 1, false, false},
    };
    for (const Case& c : cases) {
        store->beginPlot();
        AddPoints(*store, {{c.xStart, c.yStart}, {10, 10}});
        store->computeRanges(true, c.mode);
        EXPECT_EQ(store->logX, c.logX) << static_cast<int>(c.mode) << " " << c.xStart;
        EXPECT_EQ(store->logY, c.logY) << static_cast<int>(c.mode) << " " << c.yStart;
    }
}

TEST_F(Store, CurvesWithoutPointsLeaveTheSentinels)
{
    AddPoints(*store, {});
    store->computeRanges(false, ScaleMode::LogLog);
    EXPECT_EQ(store->curves[1].xMin, RangeSentinel);
    EXPECT_EQ(store->curves[1].xMax, -RangeSentinel);
    EXPECT_EQ(store->viewXMin, RangeSentinel);
    EXPECT_EQ(store->viewYMax, -RangeSentinel);
    EXPECT_FALSE(store->logX);
}

TEST_F(Store, PositionsFoldPhasesOnceAndCombineWithThePreviousCurvesSlots)
{
    AddPoints(*store, {{1, 1}, {2, 2}});
    // Slots beyond the first curve's two points hold what an earlier run left there.
    store->curves[1].y[2] = 100;
    AddPoints(*store, {{1, 10}, {2, 20}, {3, 30}, {4, 40}}, "2m", '-');
    AddPhase(*store, {{1, 350}, {2, -400}, {3, 180}, {4, -720}});
    store->logX = false;
    store->logY = false;
    store->PreparePositions();
    const auto& difference = store->positions.y[2];
    EXPECT_EQ(difference[0], 9);
    EXPECT_EQ(difference[1], 18);
    EXPECT_EQ(difference[2], -70);
    EXPECT_EQ(difference[3], 40);
    const auto& phase = store->positions.y[3];
    EXPECT_EQ(phase[0], -10);
    EXPECT_EQ(phase[1], -40);
    EXPECT_EQ(phase[2], 180);
    EXPECT_EQ(phase[3], -360); // one fold only
}

TEST_F(Store, PositionsHoldLogarithmsOnLogarithmicAxesAndFollowAClearedFlag)
{
    AddPoints(*store, {{10, 100}, {1000, 0.01}});
    AddPoints(*store, {{10, 1}, {1000, 1}}, "2m", '+');
    store->logX = store->logY = true;
    store->PreparePositions();
    EXPECT_DOUBLE_EQ(store->positions.x[1][1], std::log(1000.0));
    EXPECT_DOUBLE_EQ(store->positions.y[1][1], std::log(0.01));
    EXPECT_DOUBLE_EQ(store->positions.y[2][0], std::log(101.0));
    store->logY = false; // cleared by a drawing whose limits are not positive
    store->PreparePositions();
    EXPECT_EQ(store->positions.y[1][1], 0.01);
}
