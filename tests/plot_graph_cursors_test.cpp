// Cursors on the drawn curves: snapping and interpolation, steps along a curve, the readout; and
// the history of views that "z" goes back through.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "plot/curve_store.h"
#include "plot/graph_cursors.h"
#include "plot/graph_geometry.h"
#include "plot/plot_run.h"
#include "plot/view_commands.h"

using namespace talvor;

namespace {

// Curves drawn on a plot of 100 x 100 pixels with x and y from 0 to 10 (or 1 to 1000 on
// logarithmic axes): ten pixels a unit, y growing upwards.
struct Drawn {
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PlotOptions options;

    Drawn() { store->beginPlot(); }
    int Add(const char* yName, std::initializer_list<std::pair<double, double>> points,
            char operation = ' ')
    {
        const int k = store->addCurve("t.tab", "f", yName, operation);
        Curve& c = store->curves[k];
        for (auto [x, y] : points) {
            c.x[c.pointCount] = x;
            c.y[c.pointCount++] = y;
        }
        const std::string name = yName;
        c.isPhase = name.size() > 1 && name.back() == 'f';
        return k;
    }
    void Draw(bool logarithmic = false)
    {
        store->viewXMin = store->viewYMin = logarithmic ? 1 : 0;
        store->viewXMax = store->viewYMax = logarithmic ? 1000 : 10;
        store->logX = store->logY = logarithmic;
        store->plotReady = true;
        ComputeTransforms(*store, false, PlotArea{0, 100, 0, 100});
        store->PreparePositions();
    }
};

} // namespace

TEST(GraphCursors, SnapToTheNearestPointOfTheDrawnLines)
{
    struct Case {
        double column, row;
        bool breakWraps;
        int curve, index;
        double t, x, y;
    };
    const Case cases[] = {
        {50, 50, false, 1, 0, 0.5, 5, 5},        // on the rising line of curve 1
        {52, 44, false, 1, 0, 0.54, 5.4, 5.4},   // beside it: the foot of the perpendicular
        {100, 0, false, 1, 1, 0, 10, 10},        // at its last sample
        {120, -30, false, 1, 1, 0, 10, 10},      // beyond the end: the end
        {50, 88, false, 2, 0, 0.5, 5, 1},        // nearer the flat curve 2
        {21, 50, false, 3, 1, 0.5, 2, 0},        // curve 3's jump from 170 to -170 degrees...
        {21, 50, true, 1, 0, 0.355, 3.55, 3.55}, // ...is no line when wraps break it
    };
    for (const Case& c : cases) {
        Drawn d;
        d.Add("1m", {{0, 0}, {10, 10}});
        d.Add("2m", {{0, 1}, {10, 1}});
        d.Add("3f", {{0, 170}, {2, 170}, {2, -170}, {10, -170}}); // on the fixed phase scale
        d.Add("4m", {{0, 5}, {10, 5}}, 'x');                      // hidden
        d.Draw();
        CursorPlace place;
        ASSERT_TRUE(SnapToCurve(*d.store, c.breakWraps, c.column, c.row, place)) << c.column;
        EXPECT_EQ(place.curve, c.curve) << c.column << "," << c.row;
        EXPECT_EQ(place.index, c.index) << c.column << "," << c.row;
        EXPECT_NEAR(place.t, c.t, 1e-9) << c.column << "," << c.row;
        double x, y;
        ASSERT_TRUE(CursorValues(*d.store, place, x, y));
        EXPECT_NEAR(x, c.x, 1e-9) << c.column << "," << c.row;
        EXPECT_NEAR(y, c.y, 1e-9) << c.column << "," << c.row;
        double column, row;
        ASSERT_TRUE(CursorPixel(*d.store, place, column, row));
        EXPECT_NEAR(column, c.x * 10, 1e-9);
    }
}

// On logarithmic axes the line between samples is straight in log-log: halfway between 10 and
// 1000 lies 100, not 505.
TEST(GraphCursors, InterpolationFollowsTheDrawnLineOnLogarithmicAxes)
{
    Drawn d;
    d.Add("1m", {{10, 1000}, {1000, 10}});
    d.Add("2f", {{10, -90}, {1000, 90}}); // phases stay linear on their scale
    d.Draw(true);
    CursorPlace place{true, 1, 0, 0.5};
    double x, y;
    ASSERT_TRUE(CursorValues(*d.store, place, x, y));
    EXPECT_NEAR(x, 100, 1e-9);
    EXPECT_NEAR(y, 100, 1e-9);
    place.curve = 2;
    ASSERT_TRUE(CursorValues(*d.store, place, x, y));
    EXPECT_NEAR(x, 100, 1e-9);
    EXPECT_NEAR(y, 0, 1e-9);
    CursorPlace none;
    EXPECT_FALSE(CursorValues(*d.store, none, x, y));
    d.store->positions.valid = false; // no drawing yet: nothing to snap to
    EXPECT_FALSE(SnapToCurve(*d.store, false, 50, 50, place));
}

TEST(GraphCursors, StepsAlongTheCurveSampleBySample)
{
    Drawn d;
    d.Add("1m", {{1, 1}, {2, 2}, {3, -1}, {4, 4}, {5, 5}, {6, 6}});
    d.store->logY = true; // point 3 (from 1) has no logarithm: no position
    d.Draw(true);
    struct Case {
        int index;
        double t;
        int steps, landsOn;
    };
    const Case cases[] = {
        {0, 0, 1, 1},  {0, 0.5, 1, 1}, {1, 0.5, -1, 1}, {1, 0, -1, 0},   {1, 0, 1, 3},
        {3, 0, -1, 1}, {0, 0, -5, 0},  {4, 0, 100, 5},  {5, 0.0, 10, 5}, {4, 0.3, -10, 0},
    };
    for (const Case& c : cases) {
        CursorPlace place{true, 1, c.index, c.t};
        StepAlongCurve(*d.store, place, c.steps);
        EXPECT_EQ(place.index, c.landsOn) << c.index << " " << c.t << " " << c.steps;
        EXPECT_EQ(place.t, 0);
    }
}

TEST(GraphCursors, TheReadoutGivesBothPointsAndTheirDifferences)
{
    struct Case {
        const char* first;  // the cursors' curves and values
        const char* second; // y names, points
        double y1, y2;
        bool unitsInDb;
        const char* readout;
    };
    const Case cases[] = {
        {"2m", "2m", 1, 0.1, false,
         "1: f=2 2m=1   2: f=8 2m=0.1   \xce\x94"
         "f=6 \xce\x94y=-0.9 (-20 dB)"},
        {"2m", "3m", -3, -23, false,
         "1: f=2 2m=-3   2: f=8 3m=-23   \xce\x94"
         "f=6 \xce\x94y=-20 (-20 dB)"},
        {"2m", "2m", 2, 0.2, true,
         "1: f=2 2m=2   2: f=8 2m=0.2   \xce\x94"
         "f=6 \xce\x94y=-1.8 (-1.8 dB)"},
        {"2m", "2f", 1, -45, false,
         "1: f=2 2m=1   2: f=8 2f=-45   \xce\x94"
         "f=6 \xce\x94y=-46"},
        {"v", "v", 1, 10, false,
         "1: f=2 v=1   2: f=8 v=10   \xce\x94"
         "f=6 \xce\x94y=9"},
        {"2m", "2m", 0, 1, false,
         "1: f=2 2m=0   2: f=8 2m=1   \xce\x94"
         "f=6 \xce\x94y=1"},
    };
    for (const Case& c : cases) {
        Drawn d;
        d.Add(c.first, {{0, c.y1}, {10, c.y1}});
        d.Add(c.second, {{0, c.y2}, {10, c.y2}});
        d.Draw();
        if (c.unitsInDb)
            d.options.tableUnits.magnitude = MagnitudeUnit::Decibel;
        GraphCursors cursors;
        cursors.place[0] = {true, 1, 0, 0.2};
        EXPECT_EQ(CursorReadout(*d.store, cursors, d.options),
                  "1: f=2 " + std::string(c.first) + "=" + std::to_string(static_cast<int>(c.y1)));
        cursors.place[1] = {true, 2, 0, 0.8};
        EXPECT_EQ(CursorReadout(*d.store, cursors, d.options), c.readout);
        cursors.place[0].placed = false;
        EXPECT_EQ(CursorReadout(*d.store, cursors, d.options).rfind("2: f=8", 0), 0u);
    }
    EXPECT_EQ(CursorReadout(*Drawn().store, GraphCursors(), PlotOptions()), "");
}

TEST(ViewHistory, GoesBackThroughTheViewsOneByOne)
{
    auto store = std::make_unique<CurveStore>();
    ViewHistory history;
    EXPECT_FALSE(history.Back(*store));
    for (int n = 1; n <= ViewHistory::Capacity + 5; ++n)
        history.Push({0, double(n), -1, 1});
    EXPECT_EQ(history.Size(), ViewHistory::Capacity);
    for (int n = ViewHistory::Capacity + 5; n > 5; --n) {
        ASSERT_TRUE(history.Back(*store));
        EXPECT_EQ(LimitsOf(*store), (ViewLimits{0, double(n), -1, 1})) << n;
    }
    EXPECT_FALSE(history.Back(*store)); // the five oldest were forgotten
    EXPECT_EQ(store->viewXMax, 6);
    history.Push({1, 2, 3, 4});
    history.Clear();
    EXPECT_FALSE(history.Back(*store));
}
