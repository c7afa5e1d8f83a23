// The graph painter: a painted image checked at known pixels.
#include <gtest/gtest.h>

#include <cstdio>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "plot/colour_contrast.h"
#include "plot/curve_store.h"
#include "plot/graph_geometry.h"
#include "plot/graph_layout.h"
#include "plot/graph_painter.h"
#include "plot/plot_run.h"

using namespace talvor;

namespace {

constexpr QRgb Black = 0xFF000000, White = 0xFFFFFFFF, Red = 0xFFFF0000, Green = 0xFF00FF00,
               Gray = 0xFF808080, Navy = 0xFF000080;

class Painter : public testing::Test {
protected:
    Painter() : image(761, 471, QImage::Format_RGB32)
    {
        store->beginPlot();
        options.RGescala = static_cast<int>(ScaleMode::LinearLinear);
    }

    int Add(std::initializer_list<std::pair<double, double>> points, uint32_t colour,
            const char* yName = "1m", char operation = ' ')
    {
        int k = store->addCurve("t.tab", "f", yName, operation);
        Curve& c = store->curves[k];
        for (auto [x, y] : points) {
            c.x[c.pointCount] = x;
            c.y[c.pointCount] = y;
            ++c.pointCount;
        }
        c.colour = colour;
        const std::string name = yName;
        c.isPhase = options.CBfase && name.size() > 1 && name.back() == 'f';
        store->anyPhase = store->anyPhase || c.isPhase;
        return k;
    }

    void View(double xMin, double xMax, double yMin, double yMax)
    {
        store->computeRanges(options.CBfase, static_cast<ScaleMode>(options.RGescala));
        store->viewXMin = xMin, store->viewXMax = xMax, store->viewYMin = yMin,
        store->viewYMax = yMax;
        store->plotReady = true;
    }

    GraphDrawing Draw(QImage& target)
    {
        QPainter painter(&target);
        return DrawGraph(painter, *store, options, target.deviceIndependentSize().toSize());
    }
    GraphDrawing Draw() { return Draw(image); }

    int Column(double x) const
    {
        int p = 0;
        MapToPixel(store->logX ? std::log(x) : x, store->curves[1].scaleX, store->curves[1].offsetX,
                   p);
        return p;
    }
    int Row(double y) const
    {
        int p = 0;
        MapToPixel(store->logY ? std::log(y) : y, store->curves[1].scaleY, store->curves[1].offsetY,
                   p);
        return p;
    }
    int CountInRect(QRgb colour, int x0, int y0, int x1, int y1) const
    {
        int count = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                count += image.pixel(x, y) == colour;
        return count;
    }

    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PlotOptions options;
    QImage image;
};

} // namespace

TEST_F(Painter, WithoutAPlotOnlyTheBackgroundAndTheSize)
{
    image.fill(Red);
    GraphDrawing drawing = Draw();
    EXPECT_FALSE(drawing.complete);
    EXPECT_EQ(drawing.status, QStringLiteral("Tamanho da tela: 761 x 471"));
    EXPECT_EQ(CountInRect(Black, 0, 0, 760, 470), 761 * 471);
}

TEST_F(Painter, AxesGridAndCurveAtTheirPixels)
{
    Add({{0, 5}, {20, 5}}, 0xFF0000);
    View(0, 20, 0, 20);
    ASSERT_TRUE(Draw().complete);
    // Axes along the bottom and the left edge of the plot rectangle.
    EXPECT_EQ(image.pixel(400, 453), White);
    EXPECT_EQ(image.pixel(75, 200), White);
    EXPECT_EQ(image.pixel(751, 453), White);
    EXPECT_EQ(image.pixel(75, 10), White);
    // One vertical and one horizontal grid line at 10, dotted gray.
    int column = Column(10);
    EXPECT_EQ(column, 413);
    EXPECT_GT(CountInRect(Gray, column, 20, column, 440), 100);
    EXPECT_EQ(CountInRect(Gray, column + 1, 20, column + 1, 220), 0);
    int row = Row(10);
    EXPECT_EQ(row, 232);
    EXPECT_GT(CountInRect(Gray, 100, row, 700, row), 150);
    // The curve: a red line at y = 5 from edge to edge.
    EXPECT_EQ(Row(5), 342);
    EXPECT_EQ(CountInRect(Red, 75, 342, 751, 342), 751 - 75 + 1);
    EXPECT_EQ(CountInRect(Red, 75, 341, 751, 341), 0);
    EXPECT_TRUE(store->pictureSaved == false); // the window decides when the picture is saved
}

TEST_F(Painter, LogarithmicGridHasDecadeLinesInTheMajorColour)
{
    options.RGescala = static_cast<int>(ScaleMode::LogLog);
    Add({{1, 1}, {10000, 100}}, 0x0000FF);
    store->majorGridColour = 0x00FF00;
    store->minorGridColour = 0xFF0000;
    View(1, 10000, 1, 100);
    ASSERT_TRUE(store->logX && store->logY);
    Draw();
    for (double decade : {10.0, 100.0, 1000.0})
        EXPECT_GT(CountInRect(Green, Column(decade), 20, Column(decade), 440), 100) << decade;
    EXPECT_GT(CountInRect(Red, Column(20), 20, Column(20), 440), 100);
    EXPECT_GT(CountInRect(Gray, Column(2), 20, Column(2), 440), 100); // before the first decade
    EXPECT_EQ(CountInRect(Green, Column(1) + 1, 20, Column(1) + 1, 440), 0);
}

TEST_F(Painter, LegendsAndLimitLabels)
{
    Add({{0, 0}, {1, 1}}, 0xFFFFFF);
    Add({{0, 0}, {1, 1}}, 0xFFFF00);
    int third = Add({{0, 0}, {1, 1}}, 0x00FF00, "v2m");
    EXPECT_EQ(LegendText(third, store->curves[third]), QStringLiteral("3: f x v2m  "));
    store->curves[2].operation = 'x';
    EXPECT_EQ(LegendText(2, store->curves[2]), QStringLiteral("2: f x 1m x"));
    // A legend of its own replaces the column names, the operation still shown.
    std::snprintf(store->curves[2].legend, sizeof store->curves[2].legend, "R1 = 2200 Ω");
    EXPECT_EQ(LegendText(2, store->curves[2]), QStringLiteral("2: R1 = 2200 Ω x"));
    store->curves[2].operation = ' ';
    EXPECT_EQ(LegendText(2, store->curves[2]), QStringLiteral("2: R1 = 2200 Ω"));
    store->curves[2].operation = 'x';
    store->curves[2].legend[0] = '\0';
    View(0, 1, 0, 1);
    Draw();
    // The third legend starts at row 10 + 15 x 3 = 55, in its curve's colour.
    EXPECT_EQ(CountInRect(Green, 0, 0, 74, 54), 0);
    EXPECT_GT(CountInRect(Green, 4, 55, 74, 69), 10);
    EXPECT_GT(CountInRect(0xFFFFFF00, 4, 40, 74, 54), 10); // the hidden curve's legend too
    // Limit labels: "0" and "1" under the horizontal axis, left of the vertical one.
    EXPECT_GT(CountInRect(White, 75, 454, 90, 470), 5);
    EXPECT_GT(CountInRect(White, 735, 454, 751, 470), 5);
    EXPECT_GT(CountInRect(White, 50, 10, 73, 22), 5);

    options.CBauto = true;
    image.fill(Black);
    Draw();
    EXPECT_EQ(CountInRect(White, 76, 454, 90, 470),
              0);                                      // no labels with each curve on its own scale
    EXPECT_EQ(CountInRect(Gray, 76, 11, 750, 452), 0); // and no grid
    EXPECT_GT(CountInRect(Green, 4, 55, 74, 69), 10);
}

TEST_F(Painter, PhaseCurvesAreFoldedOntoTheFixedScale)
{
    Add({{1, 1}, {10, 2}}, 0xFFFFFF);
    int phase = Add({{1, 350}, {10, 350}}, 0xFF0000, "1f");
    View(1, 10, 1, 2);
    Draw();
    ASSERT_TRUE(store->curves[phase].isPhase);
    int row = 0;
    ASSERT_TRUE(MapToPixel(-10, store->phaseScale, store->phaseOffset, row));
    EXPECT_EQ(row, 244); // 10 degrees of 443/360 pixels below the middle, 231.5
    EXPECT_EQ(CountInRect(Red, 80, row, 740, row), 740 - 80 + 1);
}

TEST_F(Painter, PointsWithoutAPositionAreLeftOutAndTheRestIsDrawn)
{
    options.RGescala = static_cast<int>(ScaleMode::LogLog);
    Add({{1, 10}, {2, -5}, {3, 0}, {4, 10}, {10, 10}}, 0xFF0000);
    Add({{1, 50}, {10, 50}}, 0x00FF00, "2m");
    View(1, 10, 1, 100);
    store->logY = true; // a negative and a zero value on a logarithmic axis
    ASSERT_TRUE(Draw().complete);
    EXPECT_GT(CountInRect(Green, 80, Row(50), 740, Row(50)), 600);
    EXPECT_EQ(CountInRect(Red, Column(4), Row(10), 740, Row(10)), 740 - Column(4) + 1);

    // Equal limits: no transform, no grid, but the axes and the legends are drawn.
    View(5, 5, 7, 7);
    image.fill(Red);
    ASSERT_TRUE(Draw().complete);
    EXPECT_EQ(image.pixel(400, 453), White);
    EXPECT_GT(CountInRect(Green, 4, 40, 74, 54), 10);
}

TEST_F(Painter, DifferencesUseThePreviousCurvesSlotsBeyondItsPoints)
{
    Add({{0, 4}, {1, 4}}, 0xFFFFFF);
    store->curves[1].y[2] = 6; // left by an earlier run
    Add({{0, 10}, {1, 10}, {2, 10}, {3, 10}}, 0xFF0000, "2m", '-');
    View(0, 3, 0, 20);
    Draw();
    // Points 1 and 2 at 6, point 3 at 10 - 6 = 4, point 4 at 10 - 0.
    EXPECT_EQ(image.pixel((Column(0) + Column(1)) / 2, Row(6)), Red);
    EXPECT_EQ(image.pixel(Column(2), Row(4)), Red);
    EXPECT_EQ(image.pixel(Column(3), Row(10)), Red);
}

TEST_F(Painter, PointMarksAreSquaresFilledWithTheBackground)
{
    options.CBmarcar = true;
    Add({{5, 5}}, 0xFF0000);
    View(0, 10, 0, 10);
    Draw();
    int c = Column(5), r = Row(5);
    EXPECT_EQ(image.pixel(c, r), Black);
    EXPECT_EQ(image.pixel(c - 2, r - 2), Red);
    EXPECT_EQ(image.pixel(c + 2, r + 2), Red);
    EXPECT_EQ(image.pixel(c + 3, r), Black);
}

// Passing repeated pixels once must leave the picture exactly as drawing every point would.
TEST_F(Painter, SkippingRepeatedPixelsKeepsThePictureIdentical)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(0, 1);
    Add({}, 0xFF0000);
    Add({}, 0x00FF00, "2m");
    Add({}, 0xFFFF00, "3m");
    for (int i = 0; i < MaxPoints; ++i) {
        double x = 1 + 999.0 * i / (MaxPoints - 1);
        for (int k = 1; k <= 3; ++k) {
            Curve& c = store->curves[k];
            c.x[i] = x;
            c.y[i] = k == 1 ? 1 / (1 + x / 50) : k == 2 ? noise(random) : (i / 700) % 2 * 0.5 + 0.2;
            c.pointCount = i + 1;
        }
    }
    options.RGescala = static_cast<int>(ScaleMode::LogLinear);
    View(1, 1000, 0, 1);
    Draw();

    for (int k = 1; k <= 3; ++k)
        store->curves[k].operation = 'x';
    QImage reference(image.size(), QImage::Format_RGB32);
    Draw(reference);
    QPainter painter(&reference);
    for (int k = 1; k <= 3; ++k) {
        const Curve& c = store->curves[k];
        std::vector<QPoint> all(c.pointCount);
        for (int i = 0; i < c.pointCount; ++i) {
            MapToPixel(std::log(c.x[i]), c.scaleX, c.offsetX, all[i].rx());
            MapToPixel(c.y[i], c.scaleY, c.offsetY, all[i].ry());
        }
        QPen pen(QColor::fromRgb(c.colour));
        pen.setWidth(0);
        painter.setPen(pen);
        painter.drawPolyline(all.data(), c.pointCount);
    }
    painter.end();
    int differences = 0; // right of the legends, which now show the "x"
    for (int y = 0; y < image.height(); ++y)
        for (int x = 75; x < image.width(); ++x)
            if (image.pixel(x, y) != reference.pixel(x, y) && ++differences < 20)
                ADD_FAILURE() << x << "," << y << " " << std::hex << image.pixel(x, y) << " "
                              << reference.pixel(x, y);
    EXPECT_EQ(differences, 0);
}

// Zoomed in, a curve that runs on beyond the view stops at the plot rectangle: nothing of it in
// the margins of the legends and the limit labels, all of it inside.
TEST_F(Painter, CurvesAreClippedToThePlotRectangle)
{
    for (bool marks : {false, true}) {
        options.CBmarcar = marks;
        store->beginPlot();
        Add({{0, 0}, {50, 55}, {100, 60}}, 0xFF0000);
        Add({{0, 1}, {100, 1}}, 0x00FF00, "2f"); // a phase curve, on its fixed scale
        View(40, 60, 50, 58);
        image.fill(Black);
        Draw();
        EXPECT_EQ(CountInRect(Red, 0, 56, 73, 470), 0) << marks; // below the legends
        EXPECT_EQ(CountInRect(Red, 753, 0, 760, 470), 0);
        EXPECT_EQ(CountInRect(Red, 76, 0, 760, 8), 0);
        EXPECT_EQ(CountInRect(Green, 0, 56, 73, 470), 0);
        EXPECT_EQ(CountInRect(Green, 753, 0, 760, 470), 0);
        EXPECT_GT(CountInRect(Red, 75, 10, 751, 453), 300);
        EXPECT_EQ(CountInRect(Green, 75, 230, 751, 230), 751 - 75 + 1); // edge to edge
        EXPECT_GT(CountInRect(Red, 4, 25, 74, 39), 10);                 // its legend stays
    }
}

// At twice the pixels per unit (a dense screen, or talvor-plot --pixel-ratio=2) the drawing is
// the same in finer pixels: sizes and transforms in units, lines two pixels wide.
TEST_F(Painter, APaintDeviceWithTwoPixelsPerUnit)
{
    Add({{0, 5}, {20, 5}}, 0xFF0000);
    View(0, 20, 0, 20);
    Draw();
    const double scaleX = store->curves[1].scaleX, offsetY = store->curves[1].offsetY;

    QImage fine(2 * 761, 2 * 471, QImage::Format_RGB32);
    fine.setDevicePixelRatio(2);
    store->pictureSaved = false;
    const GraphDrawing drawing = Draw(fine);
    EXPECT_EQ(drawing.status, QStringLiteral("Tamanho da tela: 761 x 471"));
    EXPECT_EQ(store->curves[1].scaleX, scaleX);
    EXPECT_EQ(store->curves[1].offsetY, offsetY);
    auto finePixels = [&](QRgb colour, int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                count += fine.pixel(x, y) == colour;
        return count;
    };
    // The curve near row 342 (placed to half a unit) and the axis at row 453 cover two rows of
    // fine pixels, edge to edge.
    EXPECT_EQ(finePixels(Red, 152, 600, 1500, 760), 2 * (1500 - 152 + 1));
    EXPECT_EQ(finePixels(Red, 152, 682, 1500, 686), 2 * (1500 - 152 + 1));
    EXPECT_EQ(finePixels(White, 152, 905, 1500, 906), 2 * (1500 - 152 + 1));
    // Nothing of the curve beyond the plot rectangle's edges.
    EXPECT_EQ(finePixels(Red, 0, 100, 148, 940), 0);
    EXPECT_EQ(finePixels(Red, 1503, 0, 1521, 940), 0);
}

namespace {

// Every part of a numbered picture that holds text, with what it is.
std::vector<std::pair<QRectF, std::string>> TextCells(const GraphLayout& layout)
{
    std::vector<std::pair<QRectF, std::string>> cells;
    for (TickSide side : {TickSide::Bottom, TickSide::Left, TickSide::Right}) {
        const AxisTicks& ticks = TicksOn(layout, side);
        for (int i = 0; i < ticks.count; ++i)
            cells.emplace_back(TickLabelRect(layout, side, i), ticks.ticks[i].text);
    }
    if (!layout.titles.x.empty())
        cells.emplace_back(QRectF(layout.xTitle), "x title");
    if (!layout.titles.left.empty())
        cells.emplace_back(QRectF(layout.leftTitle), "left title");
    if (!layout.titles.right.empty())
        cells.emplace_back(QRectF(layout.rightTitle), "right title");
    if (!layout.legendFrame.isNull())
        cells.emplace_back(QRectF(layout.legendFrame), "legends");
    return cells;
}

} // namespace

// At any window size, with magnitudes and phases, phases alone or twenty curves: the labels,
// titles and legends of a numbered picture lie inside it and apart from each other, the labels
// outside the plot; and whatever the painter wrote outside the plot's frame and ticks lies in
// one of them.
TEST_F(Painter, NumberedLabelsNeverOverlap)
{
    options.CBdivisoes = true;
    struct Data {
        ScaleMode mode;
        int magnitudes, phases;
        double xMin, xMax, yMin, yMax;
    };
    const Data sets[] = {
        {ScaleMode::LogLog, 1, 1, 1, 1e5, 1e-4, 1.2},
        {ScaleMode::LogLinear, 0, 2, 10, 1e6, -180, 180},
        {ScaleMode::LinearLinear, 14, 6, 0, 1e4, -80.5, 3.25},
        {ScaleMode::LogLog, 3, 0, 1e-38, 1e38, 1e-20, 1e20},
    };
    for (QSize size : {QSize(761, 471), QSize(1600, 1000), QSize(400, 300), QSize(250, 160)}) {
        for (const Data& d : sets) {
            options.RGescala = static_cast<int>(d.mode);
            store->beginPlot();
            for (int n = 0; n < d.magnitudes + d.phases; ++n) {
                const bool phase = n >= d.magnitudes;
                Add({{d.xMin, phase ? -90.0 : d.yMin}, {d.xMax, phase ? 90.0 : d.yMax}}, 0xFF0000,
                    phase ? "saidaf" : "saidam");
            }
            View(d.xMin, d.xMax, d.yMin, d.yMax);
            QImage picture(size, QImage::Format_RGB32);
            Draw(picture);
            auto layout = std::make_unique<GraphLayout>();
            LayOutGraph(*store, options, size, *layout);
            const auto cells = TextCells(*layout);
            const PlotArea& a = layout->area;
            const QRectF plot(QPointF(a.left, a.top), QPointF(a.right, a.bottom));
            const QRectF whole(QPointF(0, 0), QSizeF(size));
            const std::string where = std::to_string(size.width()) + "x" +
                                      std::to_string(size.height()) + " " +
                                      std::to_string(d.magnitudes) + "/" + std::to_string(d.phases);
            EXPECT_GE(layout->xTicks.count, size.width() >= 400 ? 2 : 1) << where;
            EXPECT_GE(layout->leftTicks.count, size.width() >= 400 ? 2 : 1) << where;
            EXPECT_EQ(layout->rightTicks.count > 0, d.magnitudes > 0 && d.phases > 0) << where;
            for (size_t i = 0; i < cells.size(); ++i) {
                EXPECT_TRUE(whole.contains(cells[i].first)) << where << " " << cells[i].second;
                const bool legends = cells[i].second == "legends";
                EXPECT_EQ(plot.intersects(cells[i].first), legends) << where << cells[i].second;
                for (size_t j = i + 1; j < cells.size(); ++j)
                    EXPECT_FALSE(cells[i].first.intersects(cells[j].first))
                        << where << " " << cells[i].second << " and " << cells[j].second;
            }
            int stray = 0;
            for (int y = 0; y < size.height(); ++y) {
                for (int x = 0; x < size.width(); ++x) {
                    if (picture.pixel(x, y) == Black ||
                        QRect(a.left - TickLength, a.top, a.right - a.left + 2 * TickLength + 1,
                              a.bottom - a.top + TickLength + 1)
                            .contains(x, y))
                        continue;
                    bool inCell = false;
                    for (const auto& cell : cells)
                        inCell = inCell || cell.first.adjusted(-1, -1, 1, 1).contains(x, y);
                    stray += !inCell;
                }
            }
            EXPECT_EQ(stray, 0) << where;
        }
    }
}

// With numbered divisions a phase that wraps from +180 to -180 between two samples is not
// joined by a line across the plot; the plain picture joins it.
TEST_F(Painter, NumberedDivisionsBreakAPhaseCurveWhereItWraps)
{
    Add({{0, 1}, {3, 2}}, 0xFFFFFF);
    Add({{0, 150}, {1, 170}, {2, -170}, {3, -150}}, 0xFF0000, "1f");
    View(0, 3, 1, 2);
    for (bool numbered : {false, true}) {
        options.CBdivisoes = numbered;
        image.fill(Black);
        Draw();
        int top = 0, bottom = 0;
        MapToPixel(160, store->phaseScale, store->phaseOffset, top);
        MapToPixel(-160, store->phaseScale, store->phaseOffset, bottom);
        const int column = (Column(1) + Column(2)) / 2;
        EXPECT_EQ(CountInRect(Red, column - 3, top, column + 3, bottom) > 0, !numbered);
        EXPECT_GT(CountInRect(Red, Column(0), 0, Column(1), image.height() - 1), 10);
        EXPECT_GT(CountInRect(Red, Column(2), 0, Column(3), image.height() - 1), 10);
    }
}

// The legends as the layout places them answer the clicks: the plain layout's rows of 15 units
// in the left margin from y = 25, its margin elsewhere the grid colours; the numbered layout's
// box in the plot, the left margin the grid colours.
TEST_F(Painter, LegendsAnswerClicksWhereTheyAreDrawn)
{
    for (int n = 0; n < 3; ++n)
        Add({{1, 1}, {10, 2}}, 0xFF0000);
    View(1, 10, 1, 2);
    struct Case {
        bool numbered;
        QPoint at;
        LegendHit::Kind kind;
        int curve;
    };
    auto layout = std::make_unique<GraphLayout>();
    options.CBdivisoes = true;
    LayOutGraph(*store, options, QSize(761, 471), *layout);
    const QPoint secondLegend = layout->legendRows[2].center();
    const QPoint belowBox = layout->legendFrame.bottomLeft() + QPoint(0, 5);
    const Case cases[] = {
        {false, {10, 40}, LegendHit::CurveColour, 2},
        {false, {74, 25}, LegendHit::CurveColour, 1},
        {false, {10, 69}, LegendHit::CurveColour, 3},
        {false, {10, 70}, LegendHit::GridColours, 0},
        {false, {10, 24}, LegendHit::GridColours, 0},
        {false, {10, 5}, LegendHit::GridColours, 0},
        {false, {75, 40}, LegendHit::Nothing, 0},
        {true, secondLegend, LegendHit::CurveColour, 2},
        {true, belowBox, LegendHit::Nothing, 0},
        {true, {5, 40}, LegendHit::GridColours, 0},
    };
    for (const Case& c : cases) {
        options.CBdivisoes = c.numbered;
        LayOutGraph(*store, options, QSize(761, 471), *layout);
        const LegendHit hit = HitLegends(*layout, c.at);
        EXPECT_EQ(hit.kind, c.kind) << c.numbered << " " << c.at.x() << "," << c.at.y();
        EXPECT_EQ(hit.curve, c.curve) << c.at.x() << "," << c.at.y();
    }
    // The numbered legends are drawn where they answer: curve 2's line in its row.
    options.CBdivisoes = true;
    store->curves[2].colour = 0x00FF00;
    Draw();
    EXPECT_GT(CountInRect(Green, layout->legendRows[2].left(), layout->legendRows[2].top(),
                          layout->legendRows[2].right(), layout->legendRows[2].bottom()),
              10);
}

// A curve that would not show at all on the background (white on white after "i") is drawn, and
// legended, in a colour that shows; the default palette on black is drawn as it is.
TEST_F(Painter, ACurveThatWouldNotShowIsDrawnInAColourThatDoes)
{
    Add({{0, 5}, {20, 5}}, 0x000080);   // navy on black: dim, but shows
    Add({{0, 15}, {20, 15}}, 0xFFFFFF); // white, soon on white
    View(0, 20, 0, 20);
    Draw();
    EXPECT_EQ(CountInRect(Navy, 80, Row(5), 740, Row(5)), 740 - 80 + 1);
    EXPECT_EQ(CountInRect(White, 80, Row(15), 740, Row(15)), 740 - 80 + 1);

    store->backgroundColour = 0xFFFFFF;
    store->foregroundColour = 0x000000;
    image.fill(Black);
    Draw();
    const QRgb drawn = 0xFF000000 | DrawnColour(0xFFFFFF, 0xFFFFFF, false);
    EXPECT_EQ(CountInRect(drawn, 80, Row(15), 740, Row(15)), 740 - 80 + 1);
    EXPECT_GT(CountInRect(drawn, 4, 40, 74, 54), 10); // its legend
    EXPECT_EQ(CountInRect(Navy, 80, Row(5), 740, Row(5)), 740 - 80 + 1);
}
