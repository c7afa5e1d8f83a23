// The graph window's commands on the store: zoom and pan of linear and logarithmic axes, the
// normal view from the fields, the colour commands, pixels read back as values, the mouse zoom.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "plot/curve_store.h"
#include "plot/graph_commands.h"
#include "plot/graph_geometry.h"
#include "plot/plot_run.h"

namespace {

class Commands : public testing::Test {
protected:
    void SetUp() override
    {
        store->beginPlot();
        store->addCurve("t.tab", "f", "1m", ' ');
    }
    void ViewX(double low, double high, bool logarithmic)
    {
        store->viewXMin = low, store->viewXMax = high, store->logX = logarithmic;
    }
    void ViewY(double low, double high, bool logarithmic)
    {
        store->viewYMin = low, store->viewYMax = high, store->logY = logarithmic;
    }
    // Types the keys one after another; every one must be a command.
    void Type(const char* keys)
    {
        for (const char* k = keys; *k; ++k)
            ASSERT_TRUE(CharacterCommand(*store, options, random, *k)) << *k;
    }
    // The transforms of a drawing of the current view in the initial 761 x 471 area.
    void Draw() { ComputeTransforms(*store, false, PlotAreaFor(761, 471)); }

    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PlotOptions options;
    ColourRandom random;
};

struct KeyCase {
    const char* keys;
    double low, high; // the axis before
    bool logarithmic;
    double newLow, newHigh;
};

TEST_F(Commands, HorizontalKeys)
{
    const KeyCase cases[] = {
        {"a", 0, 100, false, 0, 50},
        {"ar", 0, 100, false, 0, 100},
        {"ar>", 0, 100, false, 25, 125},
        {"ar><", 0, 100, false, 0, 100},
        {"a", 1, 10000, true, 1, 100},
        {"ar", 1, 10000, true, 1, 10000},
        {">", 1, 10000, true, 10, 100000},
        {"<", 1, 10000, true, 0.1, 1000},
        {"r", -2, 2, false, -2, 6},
        {"<", -2, 2, false, -3, 1},
    };
    for (const KeyCase& c : cases) {
        ViewX(c.low, c.high, c.logarithmic);
        ViewY(-1, 1, false);
        Type(c.keys);
        EXPECT_DOUBLE_EQ(store->viewXMin, c.newLow) << c.keys << " from " << c.low << " to " << c.high;
        EXPECT_DOUBLE_EQ(store->viewXMax, c.newHigh) << c.keys << " from " << c.low << " to " << c.high;
        EXPECT_EQ(store->viewYMin, -1); // the other axis stays
        EXPECT_EQ(store->viewYMax, 1);
    }
}

TEST_F(Commands, VerticalKeys)
{
    const KeyCase cases[] = {
        {"+", 0.01, 100, true, 0.01, 1},
        {"u", 0.01, 100, true, 0.1, 1000},
        {"d", 0.01, 100, true, 0.001, 10},
        {"-", 0.01, 100, true, 0.01, 1e6},
        {"+", 0, 100, false, 0, 50},
        {"-", 0, 100, false, 0, 200},
        {"u", 0, 100, false, 25, 125},
        {"d", 0, 100, false, -25, 75},
    };
    for (const KeyCase& c : cases) {
        ViewY(c.low, c.high, c.logarithmic);
        ViewX(3, 4, false);
        Type(c.keys);
        EXPECT_DOUBLE_EQ(store->viewYMin, c.newLow) << c.keys << " from " << c.low << " to " << c.high;
        EXPECT_DOUBLE_EQ(store->viewYMax, c.newHigh) << c.keys << " from " << c.low << " to " << c.high;
        EXPECT_EQ(store->viewXMin, 3);
        EXPECT_EQ(store->viewXMax, 4);
    }
}

TEST_F(Commands, OnlyTheLowerCaseLettersAreCommands)
{
    ViewX(0, 100, false);
    ViewY(0, 100, false);
    for (char key : {'A', 'R', 'U', 'D', 'C', 'I', 'x', '=', '\r', '0'})
        EXPECT_FALSE(CharacterCommand(*store, options, random, key)) << key;
    EXPECT_EQ(store->viewXMax, 100);
    EXPECT_EQ(store->viewYMax, 100);
    EXPECT_EQ(store->foregroundColour, 0xFFFFFFu);
    EXPECT_EQ(store->curves[2].colour, 0xFFFF00u);
}

// Repeated zooms end where the next drawing could still divide by the range: the last drawable
// limits stay.
TEST_F(Commands, ZoomsStopBeforeLimitsThatCannotBeDrawn)
{
    ViewX(0, 100, false);
    for (int i = 0; i < 2000; ++i)
        CharacterCommand(*store, options, random, 'a');
    EXPECT_EQ(store->viewXMin, 0);
    EXPECT_GT(store->viewXMax, 0);
    EXPECT_FALSE(ApplyViewCommand(*store, ViewCommand::ZoomInX));

    ViewX(1, 10000, true);
    for (int i = 0; i < 100; ++i)
        CharacterCommand(*store, options, random, 'r');
    EXPECT_TRUE(std::isfinite(store->viewXMax));
    EXPECT_FALSE(ApplyViewCommand(*store, ViewCommand::ZoomOutX));

    ViewY(1, 10000, true);
    for (int i = 0; i < 100; ++i)
        CharacterCommand(*store, options, random, '+');
    EXPECT_GT(store->viewYMax, store->viewYMin); // the ratio never reaches 1
    EXPECT_EQ(store->viewYMin, 1);

    ViewY(1e-300, 1e-290, true);
    for (int i = 0; i < 100; ++i)
        CharacterCommand(*store, options, random, 'd');
    EXPECT_GT(store->viewYMin, 0);
}

TEST_F(Commands, SpaceReadsTheFieldsThatHoldNumbers)
{
    ViewX(5, 6, true);
    ViewY(7, 8, false);
    options.Exmin = " 0.5";
    options.Exmax = "abc";
    options.Eymin = "-2e3volts"; // the number ends where it cannot continue
    options.Eymax = "";
    Type(" ");
    EXPECT_EQ(store->viewXMin, 0.5);
    EXPECT_EQ(store->viewXMax, 6);
    EXPECT_EQ(store->viewYMin, -2000);
    EXPECT_EQ(store->viewYMax, 8);
    EXPECT_TRUE(store->logX); // left for the drawing to decide

    options.Exmin = "inf";
    options.Exmax = "nan";
    Type(" ");
    EXPECT_EQ(store->viewXMin, 0.5);
    EXPECT_EQ(store->viewXMax, 6);
}

TEST_F(Commands, TheSchemeToggleResetsCurveOneAndTheGrid)
{
    store->curves[1].colour = 0x123456;
    store->curves[2].colour = 0x654321;
    store->majorGridColour = 0x111111;
    store->minorGridColour = 0x222222;
    Type("i");
    EXPECT_EQ(store->foregroundColour, 0x000000u);
    EXPECT_EQ(store->backgroundColour, 0xFFFFFFu);
    EXPECT_EQ(store->curves[1].colour, 0x000000u);
    EXPECT_EQ(store->majorGridColour, 0x808080u);
    EXPECT_EQ(store->minorGridColour, 0xC0C0C0u);
    Type("i");
    EXPECT_EQ(store->foregroundColour, 0xFFFFFFu);
    EXPECT_EQ(store->backgroundColour, 0x000000u);
    EXPECT_EQ(store->curves[1].colour, 0xFFFFFFu);
    EXPECT_EQ(store->majorGridColour, 0xC0C0C0u);
    EXPECT_EQ(store->minorGridColour, 0x808080u);
    EXPECT_EQ(store->curves[2].colour, 0x654321u); // the other curves keep theirs

    store->foregroundColour = 0x00FF00; // anything but black turns to black on white
    Type("i");
    EXPECT_EQ(store->foregroundColour, 0x000000u);
}

TEST_F(Commands, RandomColoursUseChannelsUpTo254InBlueGreenRedOrder)
{
    ColourRandom replay(random);
    Type("c");
    EXPECT_EQ(store->curves[1].colour & 0xFF, static_cast<uint32_t>(replay.Channel()));
    EXPECT_EQ(store->curves[1].colour >> 8 & 0xFF, static_cast<uint32_t>(replay.Channel()));
    EXPECT_EQ(store->curves[1].colour >> 16, static_cast<uint32_t>(replay.Channel()));

    int highest[3] = {0, 0, 0}, lowest[3] = {255, 255, 255};
    for (int press = 0; press < 200; ++press) {
        Type("c");
        for (int k = 1; k <= MaxCurves; ++k) {
            uint32_t colour = store->curves[k].colour;
            EXPECT_EQ(colour >> 24, 0u);
            for (int channel = 0; channel < 3; ++channel) {
                int value = colour >> (8 * channel) & 0xFF;
                highest[channel] = std::max(highest[channel], value);
                lowest[channel] = std::min(lowest[channel], value);
            }
        }
    }
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_EQ(highest[channel], 254) << channel; // 4000 draws reach both ends, never 255
        EXPECT_EQ(lowest[channel], 0) << channel;
    }
    EXPECT_EQ(store->foregroundColour, 0xFFFFFFu); // the scheme is not touched
    EXPECT_EQ(store->majorGridColour, 0xC0C0C0u);
}

// The values of the plot area's edges are the view limits, on either kind of axis.
TEST_F(Commands, PixelsReadBackAsTheViewValues)
{
    const PlotArea area = PlotAreaFor(761, 471);
    for (bool logarithmic : {false, true}) {
        ViewX(1, 10000, logarithmic);
        ViewY(0.01, 100, logarithmic);
        Draw();
        EXPECT_NEAR(ColumnValue(*store, area.left), 1, 1e-12);
        EXPECT_NEAR(ColumnValue(*store, area.right), 10000, 1e-8);
        EXPECT_NEAR(RowValue(*store, area.bottom), 0.01, 1e-14);
        EXPECT_NEAR(RowValue(*store, area.top), 100, 1e-10);
    }
    // Logarithmic: the middle column is the geometric mean.
    EXPECT_NEAR(ColumnValue(*store, (area.left + area.right) / 2), 100, 1e-9);
    EXPECT_DOUBLE_EQ(RowPhase(*store, area.top), 180);
    EXPECT_DOUBLE_EQ(RowPhase(*store, area.bottom), -180);
    EXPECT_NEAR(RowPhase(*store, (area.top + area.bottom) / 2), 0, 360.0 / (area.bottom - area.top)); // half a row off
}

TEST_F(Commands, ReadoutAndDragTexts)
{
    ViewX(0, 676, false); // one unit per column: the plot area is 676 columns wide
    ViewY(-443, 0, false); // and 443 rows high
    Draw();
    char text[100];
    ReadoutText(*store, 75 + 10, 453 - 20, text, sizeof text);
    EXPECT_STREQ(text, "X=10 Y=-423");
    store->anyPhase = true;
    ReadoutText(*store, 75, 10, text, sizeof text);
    EXPECT_STREQ(text, "X=0 Y=0 F=180");
    DragText(*store, 100, 100, 130, 150, text, sizeof text);
    EXPECT_STREQ(text, "dX=30 dY=50");
    DragText(*store, 100, 100, 90, 95, text, sizeof text);
    EXPECT_STREQ(text, "dX=-10 dY=-5");
    char small[8];
    ReadoutText(*store, 75, 10, small, sizeof small); // cut, never overrun
    EXPECT_STREQ(small, "X=0 Y=0");
}

TEST_F(Commands, OnlyABoxDraggedRightAndDownZooms)
{
    ViewX(0, 676, false);
    ViewY(-443, 0, false);
    Draw();
    struct Box {
        int x0, y0, x1, y1;
    };
    for (Box b : {Box{200, 100, 100, 200}, Box{100, 200, 200, 100}, Box{200, 200, 100, 100},
                  Box{100, 100, 100, 100}, Box{100, 100, 200, 100}, Box{100, 100, 100, 200}}) {
        EXPECT_FALSE(ZoomToBox(*store, b.x0, b.y0, b.x1, b.y1)) << b.x0 << "," << b.y0 << " " << b.x1 << "," << b.y1;
        EXPECT_EQ(store->viewXMin, 0);
        EXPECT_EQ(store->viewXMax, 676);
        EXPECT_EQ(store->viewYMin, -443);
        EXPECT_EQ(store->viewYMax, 0);
    }
    EXPECT_TRUE(ZoomToBox(*store, 100, 110, 200, 310));
    EXPECT_DOUBLE_EQ(store->viewXMin, 25);
    EXPECT_DOUBLE_EQ(store->viewXMax, 125);
    EXPECT_DOUBLE_EQ(store->viewYMin, -300); // the lower corner gives the bottom
    EXPECT_DOUBLE_EQ(store->viewYMax, -100);
}

TEST_F(Commands, ABoxBeforeAnyDrawingChangesNothing)
{
    ViewX(1, 2, false);
    ViewY(3, 4, false); // transforms still zero: no pixel has a value
    EXPECT_FALSE(ZoomToBox(*store, 100, 100, 200, 200));
    EXPECT_EQ(store->viewXMin, 1);
    EXPECT_EQ(store->viewYMax, 4);
}

TEST(LegendRows, FifteenPixelsPerLegendLineBelowTheTopMargin)
{
    struct Case {
        int y, row;
    } cases[] = {{5, 0}, {20, 0}, {24, 0}, {25, 1}, {40, 2}, {54, 2}, {55, 3}, {0, 0}};
    for (Case c : cases)
        EXPECT_EQ(LegendRowAt(c.y), c.row) << c.y;
}

} // namespace
