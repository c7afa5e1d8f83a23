// The curve store: ranges, view limits, axis modes and the positions the drawing plots.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "plot/curve_store.h"

using namespace talvor;

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
        {ScaleMode::LogLog, 1, 1, true, true},         {ScaleMode::LogLog, 0, 1, false, true},
        {ScaleMode::LogLog, 1, -1, true, false},       {ScaleMode::LogLog, 1, 0, true, false},
        {ScaleMode::LinearLog, 1, 1, false, true},     {ScaleMode::LogLinear, 1, 1, true, false},
        {ScaleMode::LinearLinear, 1, 1, false, false},
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
    EXPECT_EQ(store->curves[1].xMin, 1e50);
    EXPECT_EQ(store->curves[1].xMax, -1e50);
    EXPECT_EQ(store->viewXMin, 1e50);
    EXPECT_EQ(store->viewYMax, -1e50);
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

// Before the first Plot run every number of the store is zero and every flag false.
TEST(FreshStore, StartsWithEveryNumberZero)
{
    auto store = std::make_unique<CurveStore>();
    EXPECT_EQ(store->curveCount, 0);
    EXPECT_FALSE(store->anyPhase);
    for (double v : {store->viewXMin, store->viewXMax, store->viewYMin, store->viewYMax,
                     store->phaseScale, store->phaseOffset})
        EXPECT_EQ(v, 0);
    for (int k = 1; k <= MaxCurves; ++k) {
        const Curve& c = store->curves[k];
        EXPECT_EQ(c.xColumn + c.yColumn + c.pointCount, 0) << k;
        for (double v : {c.xMin, c.xMax, c.yMin, c.yMax, c.scaleX, c.offsetX, c.scaleY, c.offsetY})
            EXPECT_EQ(v, 0) << k;
        EXPECT_EQ(c.x[0] + c.y[MaxPoints - 1], 0) << k;
        EXPECT_EQ(c.operation, ' ');
        EXPECT_FALSE(c.isPhase);
    }
}

TEST_F(Store, EveryPaletteSlotHasItsDefaultColour)
{
    const uint32_t expected[MaxCurves + 1] = {
        0,        0xFFFFFF, 0xFFFF00, 0x00FF00, 0xFF0000, 0x0000FF, 0xFFFBF0,
        0xC0DCC0, 0xFF00FF, 0x00FFFF, 0xC0C0C0, 0x800000, 0x000080, 0x808000,
        0x800080, 0xC0C0C0, 0x008080, 0xFFFFFF, 0xFFFF00, 0x00FF00, 0xFF0000,
    };
    for (int k = 1; k <= MaxCurves; ++k)
        EXPECT_EQ(store->curves[k].colour, expected[k]) << "curve " << k;

    // The colour commands change every entry; the default palette brings each one back.
    for (int k = 1; k <= MaxCurves; ++k)
        store->curves[k].colour = 0x123456;
    store->majorGridColour = store->minorGridColour = 0x123456;
    store->foregroundColour = store->backgroundColour = 0x123456;
    store->SetDefaultPalette();
    for (int k = 1; k <= MaxCurves; ++k)
        EXPECT_EQ(store->curves[k].colour, expected[k]) << "curve " << k;
    EXPECT_EQ(store->majorGridColour, 0xC0C0C0u);
    EXPECT_EQ(store->minorGridColour, 0x808080u);
    EXPECT_EQ(store->foregroundColour, 0xFFFFFFu);
    EXPECT_EQ(store->backgroundColour, 0u);
}

TEST_F(Store, BeginPlotForgetsTheLastRunsCurvesAndFlags)
{
    AddPhase(*store, {{1, 10}});
    store->plotReady = true;
    store->beginPlot();
    EXPECT_EQ(store->curveCount, 0);
    EXPECT_FALSE(store->plotReady);
    EXPECT_FALSE(store->anyPhase);
}

// A slot used by an earlier run comes back as a fresh curve: no points, not a phase curve.
TEST_F(Store, AddCurveGivesAFreshCurveAndRefusesATwentyFirst)
{
    AddPhase(*store, {{1, 10}, {2, 20}});
    store->beginPlot();
    EXPECT_EQ(store->addCurve("b.tab", "x", "y", '+'), 1);
    const Curve& c = store->curves[1];
    EXPECT_STREQ(c.fileName, "b.tab");
    EXPECT_STREQ(c.xName, "x");
    EXPECT_STREQ(c.yName, "y");
    EXPECT_EQ(c.operation, '+');
    EXPECT_EQ(c.pointCount, 0);
    EXPECT_FALSE(c.isPhase);

    for (int k = 2; k <= MaxCurves; ++k)
        EXPECT_EQ(store->addCurve("b.tab", "x", "y", ' '), k);
    EXPECT_EQ(store->addCurve("c.tab", "x", "y", ' '), 0);
    EXPECT_EQ(store->curveCount, MaxCurves);
    EXPECT_STREQ(store->curves[MaxCurves].fileName, "b.tab");
}

// Names longer than their fields are cut at the field's size, never run into the next one.
TEST_F(Store, AddCurveCutsNamesToTheirFields)
{
    const std::string longName(25, 'n'), longFile(300, 'f');
    store->addCurve(longFile.c_str(), longName.c_str(), std::string(20, 'y').c_str(), ' ');
    const Curve& c = store->curves[1];
    EXPECT_EQ(std::string(c.fileName), std::string(255, 'f'));
    EXPECT_EQ(std::string(c.xName), std::string(19, 'n'));
    EXPECT_EQ(std::string(c.yName), std::string(19, 'y'));
    EXPECT_EQ(c.operation, ' ');
}

// The limits of a new run come from its own curves, whatever a zoom or an earlier run left.
TEST_F(Store, RangesReplaceEarlierViewLimits)
{
    struct Case {
        double xLow, xHigh, yLow, yHigh;
    };
    for (Case c : {Case{-5, -2, -9, -3}, Case{2, 5, 3, 9}}) {
        store->beginPlot();
        store->viewXMin = store->viewYMin = 0;
        store->viewXMax = store->viewYMax = 0;
        AddPoints(*store, {{c.xHigh, c.yLow}, {c.xLow, c.yHigh}});
        store->computeRanges(false, ScaleMode::LinearLinear);
        EXPECT_EQ(store->viewXMin, c.xLow);
        EXPECT_EQ(store->viewXMax, c.xHigh);
        EXPECT_EQ(store->viewYMin, c.yLow);
        EXPECT_EQ(store->viewYMax, c.yHigh);
    }
}

// Limits below 1 are as good as any for a logarithmic axis, as long as both are positive.
TEST_F(Store, LogarithmicAxesBelowOne)
{
    AddPoints(*store, {{0.1, 0.01}, {0.5, 0.2}});
    store->computeRanges(false, ScaleMode::LogLog);
    EXPECT_TRUE(store->logX);
    EXPECT_TRUE(store->logY);
}

// Phase values inside +/-180 stay as they are; the limits themselves are not folded.
TEST_F(Store, PhasesWithinHalfATurnAreNotFolded)
{
    AddPhase(*store, {{1, 45}, {2, -180}, {3, 180}, {4, -45}, {5, 0}});
    store->PreparePositions();
    const auto& phase = store->positions.y[1];
    const double expected[] = {45, -180, 180, -45, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(phase[i], expected[i]) << i;
}

// "+" and "-" on the first curve have no previous curve to combine with.
TEST_F(Store, TheFirstCurveIgnoresItsOperation)
{
    for (char operation : {'+', '-'}) {
        store->beginPlot();
        AddPoints(*store, {{1, 3}, {2, 5}}, "1m", operation);
        store->PreparePositions();
        EXPECT_EQ(store->positions.y[1][0], 3) << operation;
        EXPECT_EQ(store->positions.y[1][1], 5) << operation;
    }
}

// The drawing reads positions.lnX to choose between the logarithms and the raw x values.
TEST_F(Store, PositionsFollowEveryChangeOfAxisModeAndEveryNewCurve)
{
    AddPoints(*store, {{10, 100}, {1000, 1000}});
    store->logX = store->logY = true;
    store->PreparePositions();
    EXPECT_TRUE(store->positions.lnX);
    EXPECT_TRUE(store->positions.lnY);
    EXPECT_DOUBLE_EQ(store->positions.y[1][0], std::log(100.0));

    store->logX = false; // a drawing whose horizontal limits are not positive
    store->PreparePositions();
    EXPECT_FALSE(store->positions.lnX);
    EXPECT_DOUBLE_EQ(store->positions.y[1][0], std::log(100.0));

    AddPoints(*store, {{10, 7}, {1000, 70}}, "2m");
    store->PreparePositions();
    EXPECT_DOUBLE_EQ(store->positions.y[2][1], std::log(70.0));
}

// Zoom and pan repaint without recomputing: positions are reused while the axis modes and the
// curves stay the same.
TEST_F(Store, PreparedPositionsAreReusedWhileNothingChanged)
{
    AddPoints(*store, {{10, 100}, {1000, 1000}});
    store->logX = store->logY = true;
    store->PreparePositions();
    store->curves[1].x[0] = 1;
    store->curves[1].y[0] = 1;
    store->PreparePositions();
    EXPECT_DOUBLE_EQ(store->positions.x[1][0], std::log(10.0));
    EXPECT_DOUBLE_EQ(store->positions.y[1][0], std::log(100.0));
}

// Only the curve's own points get positions; the slots after them are not touched.
TEST_F(Store, PositionsStopAtTheLastPoint)
{
    AddPoints(*store, {{10, 100}, {1000, 1000}});
    store->curves[1].x[2] = 5;
    store->curves[1].y[2] = 5;
    store->positions.x[1][2] = -1;
    store->positions.y[1][2] = -1;
    store->logX = store->logY = true;
    store->PreparePositions();
    EXPECT_EQ(store->positions.x[1][2], -1);
    EXPECT_EQ(store->positions.y[1][2], -1);
}

// A table may write its zeros as "-0"; the limits made of them read "0", in whatever order the
// two zeros come.
TEST_F(Store, AZeroLimitIsNeverNegativeZero)
{
    for (double first : {0.0, -0.0}) {
        store->beginPlot();
        AddPoints(*store, {{first, first}, {-first, -first}, {5, 5}});
        AddPoints(*store, {{-0.0, -0.0}, {5, 5}}, "2m");
        store->computeRanges(false, ScaleMode::LinearLinear);
        EXPECT_FALSE(std::signbit(store->viewXMin)) << first;
        EXPECT_FALSE(std::signbit(store->viewYMin)) << first;
        EXPECT_FALSE(std::signbit(store->curves[1].xMin)) << first;
        EXPECT_FALSE(std::signbit(store->curves[2].yMin)) << first;
    }
    store->beginPlot();
    AddPoints(*store, {{-5, -5}, {-0.0, -0.0}});
    store->computeRanges(false, ScaleMode::LinearLinear);
    EXPECT_FALSE(std::signbit(store->viewXMax));
    EXPECT_FALSE(std::signbit(store->viewYMax));
}

// Twenty curves on logarithmic axes: every curve, the last one too, has positions of its own.
TEST_F(Store, EveryOneOfTwentyCurvesHasItsOwnPositions)
{
    for (int k = 1; k <= MaxCurves; ++k)
        AddPoints(*store, {{10.0 * k, 100.0 * k}, {20.0 * k, 300.0 * k}});
    store->logX = store->logY = true;
    store->PreparePositions();
    for (int k = 1; k <= MaxCurves; ++k) {
        EXPECT_DOUBLE_EQ(store->positions.x[k][1], std::log(20.0 * k)) << k;
        EXPECT_DOUBLE_EQ(store->positions.y[k][1], std::log(300.0 * k)) << k;
    }
}
