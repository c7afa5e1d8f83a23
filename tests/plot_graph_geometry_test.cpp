// Drawing geometry: the plot rectangle, transforms, the pixel clamp and the grid lines.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "plot/curve_store.h"
#include "plot/graph_geometry.h"

using namespace talvor;

namespace {

struct Line {
    int pixel;
    GridColour colour;
    bool operator==(const Line&) const = default;
};

std::vector<Line> Grid(double low, double high, bool logarithmic, double scale, double offset,
                       GridColour start = GridColour::Gray)
{
    std::vector<Line> lines;
    GridColour colour = start;
    ForEachGridLine(low, high, logarithmic, scale, offset, colour, [&](int pixel, GridColour c) {
        lines.push_back({pixel, c});
    });
    return lines;
}

// Expected lines at the given values on an axis mapped onto columns 75 to 751.
struct Axis {
    double low, high;
    bool logarithmic;
    double scale() const { return logarithmic ? 676 / std::log(high / low) : 676 / (high - low); }
    double offset() const { return 751 - (logarithmic ? std::log(high) : high) * scale(); }
    int Pixel(double v) const
    {
        return static_cast<int>(
            std::floor((logarithmic ? std::log(v) : v) * scale() + offset() + 0.5));
    }
    std::vector<Line> Actual() const { return Grid(low, high, logarithmic, scale(), offset()); }
};

} // namespace

TEST(GridLines, LinearAxes)
{
    EXPECT_TRUE((Axis{0, 1, false}.Actual().empty())); // the first line, 1, is the upper limit
    Axis tenths{0, 0.99, false};
    std::vector<Line> expected;
    for (int i = 1; i <= 9; ++i)
        expected.push_back({tenths.Pixel(i / 10.0), GridColour::Gray});
    EXPECT_EQ(tenths.Actual(), expected);
    Axis two{0, 2, false};
    EXPECT_EQ(two.Actual(), (std::vector<Line>{{two.Pixel(1), GridColour::Gray}}));
    Axis negative{-35, 12, false};
    expected.clear();
    for (int v = -30; v <= 10; v += 10)
        expected.push_back({negative.Pixel(v), GridColour::Gray});
    EXPECT_EQ(negative.Actual(), expected);
}

TEST(GridLines, LogarithmicAxisOverFourDecades)
{
    Axis axis{1, 10000, true};
    std::vector<Line> expected;
    for (double decade = 1; decade < 10000; decade *= 10) {
        for (int m = decade == 1 ? 2 : 1; m <= 9; ++m) {
            GridColour colour = m == 1                  ? GridColour::Major
                                : m == 2 && decade == 1 ? GridColour::Gray
                                                        : GridColour::Minor;
            expected.push_back({axis.Pixel(m * decade), colour});
        }
    }
    EXPECT_EQ(axis.Actual(), expected);
    EXPECT_EQ(expected.size(), 35u); // 2..9, then 10..90, 100..900, 1000..9000
}

TEST(GridLines, LogarithmicAxesWithinADecade)
{
    Axis narrow{100, 150, true}; // d = 50, step 10
    EXPECT_EQ(narrow.Actual(), (std::vector<Line>{{narrow.Pixel(110), GridColour::Gray},
                                                  {narrow.Pixel(120), GridColour::Minor},
                                                  {narrow.Pixel(130), GridColour::Minor},
                                                  {narrow.Pixel(140), GridColour::Minor}}));
    Axis across{95, 500, true}; // d = 95, step 10; 100 is a decade line, then steps of 100
    EXPECT_EQ(across.Actual(), (std::vector<Line>{{across.Pixel(100), GridColour::Major},
                                                  {across.Pixel(200), GridColour::Minor},
                                                  {across.Pixel(300), GridColour::Minor},
                                                  {across.Pixel(400), GridColour::Minor}}));
}

// Seventy-six decades on 676 pixels: the minor lines would paint the plot solid, so only the
// decade lines are drawn, in the major colour. Four decades keep every line (above).
TEST(GridLines, DenseLogarithmicAxesDrawTheirDecadeLinesOnly)
{
    for (double span : {676.0, 443.0}) {
        const double scale = span / std::log(1e76), offset = 75 - std::log(1e-76) * scale;
        std::vector<Line> lines = Grid(1e-76, 1, true, scale, offset, GridColour::Minor);
        ASSERT_EQ(lines.size(), 75u) << span; // 1e-75 to 0.1
        for (size_t n = 0; n < lines.size(); ++n) {
            EXPECT_EQ(lines[n].colour, GridColour::Major);
            const int pixel = static_cast<int>(
                std::floor(std::log(std::pow(10.0, -75.0 + n)) * scale + offset + 0.5));
            EXPECT_NEAR(lines[n].pixel, pixel, 1) << n;
        }
    }
    // The nearest lines of a decade (9 and 10) are ln(10/9) x scale apart: from 3 pixels on,
    // every line is drawn.
    const double atThree = 3.5 / std::log(10.0 / 9.0), belowThree = 2.5 / std::log(10.0 / 9.0);
    EXPECT_EQ(Grid(1, 1000, true, atThree, 0).size(), 26u);
    EXPECT_EQ(Grid(1, 1000, true, belowThree, 0).size(), 2u);
    // The colour carried to the next axis is the same as with every line drawn.
    GridColour colour = GridColour::Gray;
    ForEachGridLine(1, 1000, true, belowThree, 0, colour, [](int, GridColour) {});
    EXPECT_EQ(colour, GridColour::Minor);
}

TEST(GridLines, LimitsWithoutAGridDrawNoLinesAndAlwaysEnd)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double low, high;
        bool logarithmic;
    };
    const Case cases[] = {
        {5, 5, false},         {10, 1, false},          {nan, 1, false}, {0, inf, false},
        {-inf, inf, false},    {1e16, 1e16 + 2, false}, // steps below the resolution of the values
        {1e-300, 1e300, true},
    };
    for (const Case& c : cases) {
        double scale = 676 / (c.high - c.low), offset = 75 - c.low * scale;
        std::vector<Line> lines = Grid(c.low, c.high, c.logarithmic, scale, offset);
        EXPECT_LE(lines.size(), 100000u) << c.low << " " << c.high;
        for (const Line& line : lines)
            EXPECT_LE(std::abs(line.pixel), PixelLimit);
    }
    EXPECT_TRUE(Grid(5, 5, false, 1, 0).empty());
    EXPECT_TRUE(Grid(10, 1, false, 1, 0).empty());
}

TEST(MapToPixel, ClampsAndRefusesValuesWithoutAPosition)
{
    int pixel = -1;
    EXPECT_TRUE(MapToPixel(2.4, 1, 0, pixel));
    EXPECT_EQ(pixel, 2);
    EXPECT_TRUE(MapToPixel(-2.4, 1, 0, pixel));
    EXPECT_EQ(pixel, -1); // integer part toward zero of -1.9
    EXPECT_TRUE(MapToPixel(1e300, 1e10, 0, pixel));
    EXPECT_EQ(pixel, 32000);
    EXPECT_TRUE(MapToPixel(-std::numeric_limits<double>::infinity(), 10, 5, pixel)); // ln 0
    EXPECT_EQ(pixel, -31999);
    EXPECT_FALSE(MapToPixel(std::log(-1.0), 10, 5, pixel));
    EXPECT_FALSE(MapToPixel(1, std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(), pixel));
}

TEST(Transforms, MapTheLimitsOntoThePlotEdges)
{
    auto store = std::make_unique<CurveStore>();
    store->beginPlot();
    store->addCurve("t.tab", "f", "1m", ' ');
    store->curveCount = 2;
    Curve& own = store->curves[2];
    own.xMin = 2, own.xMax = 4, own.yMin = -1, own.yMax = 1;
    store->viewXMin = 1, store->viewXMax = 1000, store->viewYMin = 0.1, store->viewYMax = 10;
    store->logX = store->logY = true;
    const PlotArea area = PlotAreaFor(761, 471);
    EXPECT_EQ(area.left, 75);
    EXPECT_EQ(area.right, 751);
    EXPECT_EQ(area.top, 10);
    EXPECT_EQ(area.bottom, 453);
    ComputeTransforms(*store, false, area);
    const Curve& c = store->curves[1];
    EXPECT_NEAR(std::log(1.0) * c.scaleX + c.offsetX, 75, 1e-9);
    EXPECT_NEAR(std::log(1000.0) * c.scaleX + c.offsetX, 751, 1e-9);
    EXPECT_NEAR(std::log(0.1) * c.scaleY + c.offsetY, 453, 1e-9);
    EXPECT_NEAR(std::log(10.0) * c.scaleY + c.offsetY, 10, 1e-9);
    EXPECT_EQ(store->curves[2].scaleX, c.scaleX); // one transform for all without CBauto
    EXPECT_NEAR(store->phaseScale * 180 + store->phaseOffset, 10, 1e-9);
    EXPECT_NEAR(store->phaseScale * -180 + store->phaseOffset, 453, 1e-9);
    EXPECT_NEAR(store->phaseOffset, (453 + 10) / 2.0, 1e-9);

    // Each curve on its own scale: curve 2's range is linear, and a horizontal limit that is
    // not positive anywhere clears logX for every curve.
    store->curves[1].xMin = -1, store->curves[1].xMax = 1;
    store->curves[1].yMin = 1, store->curves[1].yMax = 2;
    ComputeTransforms(*store, true, area);
    EXPECT_FALSE(store->logX);
    EXPECT_TRUE(store->logY); // not cleared with each curve on its own scale
    EXPECT_NEAR(2 * own.scaleX + own.offsetX, 75, 1e-9);
    EXPECT_NEAR(-1 * store->curves[1].scaleX + store->curves[1].offsetX, 75, 1e-9);
}

namespace {

struct Mapped {
    double left, right, bottom, top;
};

// Where the ends of curve k's limits land with its transforms.
Mapped Ends(const CurveStore& store, int k, double a, double b, double c, double d)
{
    const Curve& curve = store.curves[k];
    auto x = [&](double v) {
        return (store.logX ? std::log(v) : v) * curve.scaleX + curve.offsetX;
    };
    auto y = [&](double v) {
        return (store.logY ? std::log(v) : v) * curve.scaleY + curve.offsetY;
    };
    return {x(a), x(b), y(c), y(d)};
}

} // namespace

// Every combination of linear and logarithmic axes, with limits away from 0 and 1, puts the
// lower limits on the left and bottom edges and the upper ones on the right and top edges.
TEST(Transforms, EveryAxisModeMapsItsLimitsOntoTheEdges)
{
    auto store = std::make_unique<CurveStore>();
    store->beginPlot();
    store->addCurve("t.tab", "f", "1m", ' ');
    store->viewXMin = 2, store->viewXMax = 50, store->viewYMin = 3, store->viewYMax = 70;
    const PlotArea area = PlotAreaFor(500, 300);
    for (bool logX : {false, true}) {
        for (bool logY : {false, true}) {
            store->logX = logX, store->logY = logY;
            ComputeTransforms(*store, false, area);
            ASSERT_EQ(store->logX, logX);
            ASSERT_EQ(store->logY, logY);
            Mapped m = Ends(*store, 1, 2, 50, 3, 70);
            EXPECT_NEAR(m.left, 75, 1e-9) << logX << logY;
            EXPECT_NEAR(m.right, 490, 1e-9) << logX << logY;
            EXPECT_NEAR(m.bottom, 282, 1e-9) << logX << logY;
            EXPECT_NEAR(m.top, 10, 1e-9) << logX << logY;
        }
    }
}

// Each curve on its own scale uses its own range on both axes, the last curve's too.
TEST(Transforms, EachCurveOnItsOwnScale)
{
    auto store = std::make_unique<CurveStore>();
    store->beginPlot();
    for (int k = 1; k <= 3; ++k)
        store->addCurve("t.tab", "f", "1m", ' ');
    const double ranges[4][4] = {{}, {1, 10, 2, 4}, {5, 500, 0.5, 8}, {0.1, 3, 100, 1000}};
    for (int k = 1; k <= 3; ++k) {
        Curve& c = store->curves[k];
        c.xMin = ranges[k][0], c.xMax = ranges[k][1], c.yMin = ranges[k][2], c.yMax = ranges[k][3];
    }
    store->viewXMin = -1, store->viewXMax = 1, store->viewYMin = -1, store->viewYMax = 1;
    for (bool logarithmic : {false, true}) {
        store->logX = store->logY = logarithmic;
        ComputeTransforms(*store, true, PlotAreaFor(761, 471));
        EXPECT_EQ(store->logX, logarithmic); // every own range is positive
        EXPECT_EQ(store->logY, logarithmic); // the view limits do not matter
        for (int k = 1; k <= 3; ++k) {
            const double* r = ranges[k];
            Mapped m = Ends(*store, k, r[0], r[1], r[2], r[3]);
            EXPECT_NEAR(m.left, 75, 1e-9) << k;
            EXPECT_NEAR(m.right, 751, 1e-9) << k;
            EXPECT_NEAR(m.bottom, 453, 1e-9) << k;
            EXPECT_NEAR(m.top, 10, 1e-9) << k;
        }
    }
}

// A logarithmic axis needs both limits above zero; limits between 0 and 1 are fine. A cleared
// flag comes from any curve's range with each curve on its own scale, the last one's included.
TEST(Transforms, LogarithmicAxesAreClearedByLimitsThatAreNotPositive)
{
    struct Case {
        double low, high;
        bool stays;
    };
    const Case cases[] = {
        {0.1, 0.5, true}, {0.5, 20, true}, {0, 20, false},
        {-1, 20, false},  {1, 0, false},   {1, -5, false},
    };
    for (const Case& c : cases) {
        auto store = std::make_unique<CurveStore>();
        store->beginPlot();
        store->addCurve("t.tab", "f", "1m", ' ');
        store->viewXMin = store->viewYMin = c.low;
        store->viewXMax = store->viewYMax = c.high;
        store->logX = store->logY = true;
        ComputeTransforms(*store, false, PlotAreaFor(761, 471));
        EXPECT_EQ(store->logX, c.stays) << c.low << " " << c.high;
        EXPECT_EQ(store->logY, c.stays) << c.low << " " << c.high;

        // The same range as the last of two curves on their own scales clears logX only.
        store->addCurve("t.tab", "f", "2m", ' ');
        Curve& first = store->curves[1];
        Curve& last = store->curves[2];
        first.xMin = first.yMin = 1, first.xMax = first.yMax = 10;
        last.xMin = c.low, last.xMax = c.high, last.yMin = 1, last.yMax = 10;
        store->viewYMin = 1, store->viewYMax = 10;
        store->logX = store->logY = true;
        ComputeTransforms(*store, true, PlotAreaFor(761, 471));
        EXPECT_EQ(store->logX, c.stays) << "own scales " << c.low << " " << c.high;
        EXPECT_TRUE(store->logY);
    }
}
