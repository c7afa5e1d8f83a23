// The graph window's keyboard commands on the view limits and the palette.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "plot/colour_contrast.h"
#include "plot/curve_store.h"
#include "plot/graph_geometry.h"
#include "plot/plot_run.h"
#include "plot/view_commands.h"

using namespace talvor;

namespace {

struct Keys {
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PlotOptions fields;
    ChannelGenerator channels;

    void Type(const std::string& keys)
    {
        for (char c : keys) {
            ViewCommand command;
            ASSERT_TRUE(CommandForCharacter(c, command)) << c;
            ApplyViewCommand(*store, command, fields, channels);
        }
    }
};

} // namespace

TEST(ViewCommands, ZoomAndPanALinearAxis)
{
    Keys k;
    k.store->viewXMin = 0, k.store->viewXMax = 100;
    struct Step {
        char key;
        double low, high;
    };
    for (Step s : {Step{'a', 0, 50}, Step{'r', 0, 100}, Step{'>', 25, 125}, Step{'<', 0, 100}}) {
        k.Type(std::string(1, s.key));
        EXPECT_DOUBLE_EQ(k.store->viewXMin, s.low) << s.key;
        EXPECT_DOUBLE_EQ(k.store->viewXMax, s.high) << s.key;
    }
    k.store->viewYMin = -1, k.store->viewYMax = 1;
    k.Type("+");
    EXPECT_DOUBLE_EQ(k.store->viewYMax, 0);
    k.Type("-u");
    EXPECT_DOUBLE_EQ(k.store->viewYMin, -0.5);
    EXPECT_DOUBLE_EQ(k.store->viewYMax, 1.5);
    k.Type("d");
    EXPECT_DOUBLE_EQ(k.store->viewYMin, -1);
}

TEST(ViewCommands, ZoomAndPanLogarithmicAxes)
{
    Keys k;
    k.store->logX = k.store->logY = true;
    k.store->viewXMin = 1, k.store->viewXMax = 10000;
    k.Type("a");
    EXPECT_DOUBLE_EQ(k.store->viewXMax, 100);
    k.Type("r");
    EXPECT_DOUBLE_EQ(k.store->viewXMax, 10000);
    k.Type(">");
    EXPECT_DOUBLE_EQ(k.store->viewXMin, 10);
    EXPECT_DOUBLE_EQ(k.store->viewXMax, 100000);

    k.store->viewYMin = 0.01, k.store->viewYMax = 100;
    k.Type("+");
    EXPECT_DOUBLE_EQ(k.store->viewYMax, 1);
    k.store->viewYMax = 100;
    k.Type("u");
    EXPECT_DOUBLE_EQ(k.store->viewYMin, 0.1);
    EXPECT_DOUBLE_EQ(k.store->viewYMax, 1000);
}

TEST(ViewCommands, SpaceReadsTheLimitFieldsThatHoldNumbers)
{
    Keys k;
    k.store->viewXMin = 3, k.store->viewXMax = 4, k.store->viewYMin = 5, k.store->viewYMax = 6;
    k.fields.Exmin = "-2";
    k.fields.Exmax = "abc";
    k.fields.Eymin = "";
    k.fields.Eymax = " 1e3";
    k.Type(" ");
    EXPECT_EQ(k.store->viewXMin, -2);
    EXPECT_EQ(k.store->viewXMax, 4);
    EXPECT_EQ(k.store->viewYMin, 5);
    EXPECT_EQ(k.store->viewYMax, 1000);
}

TEST(ViewCommands, CommandsAreCaseSensitive)
{
    ViewCommand command;
    for (char c : {'A', 'R', 'U', 'D', 'C', 'I', 'x', '='})
        EXPECT_FALSE(CommandForCharacter(c, command)) << c;
}

TEST(ViewCommands, ColourSchemeToggleAndRandomColours)
{
    Keys k;
    k.store->majorGridColour = 0x123456;
    k.store->curves[1].colour = 0x00FF00;
    k.Type("i");
    EXPECT_EQ(k.store->foregroundColour, 0x000000u);
    EXPECT_EQ(k.store->backgroundColour, 0xFFFFFFu);
    EXPECT_EQ(k.store->curves[1].colour, 0x000000u);
    EXPECT_EQ(k.store->majorGridColour, 0x808080u);
    EXPECT_EQ(k.store->minorGridColour, 0xC0C0C0u);
    EXPECT_EQ(k.store->curves[2].colour, 0xFFFF00u); // the others stay
    k.Type("i");
    EXPECT_EQ(k.store->foregroundColour, 0xFFFFFFu);
    EXPECT_EQ(k.store->backgroundColour, 0x000000u);
    EXPECT_EQ(k.store->curves[1].colour, 0xFFFFFFu);
    EXPECT_EQ(k.store->majorGridColour, 0xC0C0C0u);
    EXPECT_EQ(k.store->minorGridColour, 0x808080u);

    // Random colours on either background, none too close to it to see.
    bool changed = false;
    for (int round = 0; round < 100; ++round) {
        if (round == 50)
            k.Type("i");
        k.Type("c");
        for (int n = 1; n <= MaxCurves; ++n) {
            uint32_t colour = k.store->curves[n].colour;
            for (int shift : {0, 8, 16})
                EXPECT_LE((colour >> shift) & 0xFF, 254u);
            EXPECT_EQ(colour >> 24, 0u);
            EXPECT_GE(ContrastRatio(colour, k.store->backgroundColour), MinimumContrast)
                << std::hex << colour;
            changed = changed || colour != k.store->curves[1].colour;
        }
    }
    EXPECT_EQ(k.store->backgroundColour, 0xFFFFFFu);
    EXPECT_TRUE(changed);
}

// Held-down keys stop at the last limits the drawing can still turn into a transform.
TEST(ViewCommands, ZoomsAndPansStopBeforeUndrawableLimits)
{
    struct Case {
        const char* name;
        char key;
        bool logarithmic;
        double low, high;
    };
    for (Case c :
         {Case{"linear zoom in", 'a', false, 0, 100},
          Case{"linear zoom in far from 0", 'a', false, 1e6, 1e6 + 1},
          Case{"linear zoom out", 'r', false, 0, 100}, Case{"linear pan", '>', false, 0, 1e300},
          Case{"log zoom in", 'a', true, 1, 10000}, Case{"log zoom out", 'r', true, 1, 10000},
          Case{"log pan", '<', true, 1e-300, 1e-290}, Case{"log pan", '>', true, 1, 1e10}}) {
        Keys k;
        k.store->logX = c.logarithmic;
        k.store->viewXMin = c.low, k.store->viewXMax = c.high;
        for (int i = 0; i < 3000; ++i)
            k.Type(std::string(1, c.key));
        double low = k.store->viewXMin, high = k.store->viewXMax;
        EXPECT_TRUE(std::isfinite(low) && std::isfinite(high)) << c.name;
        EXPECT_LT(low, high) << c.name;
        double scale = 676 / (c.logarithmic ? std::log(high / low) : high - low);
        EXPECT_TRUE(std::isfinite(scale)) << c.name << ": " << low << " " << high;
        EXPECT_TRUE(!c.logarithmic || low > 0) << c.name;
    }
}

TEST(ViewCommands, LimitFieldsWithoutAFiniteNumberAreKept)
{
    Keys k;
    k.store->viewXMin = 3, k.store->viewXMax = 4, k.store->viewYMin = 5, k.store->viewYMax = 6;
    k.fields.Exmin = "inf";
    k.fields.Exmax = "nan";
    k.fields.Eymin = "-infinity";
    k.fields.Eymax = "1e999";
    k.Type(" ");
    EXPECT_EQ(k.store->viewXMin, 3);
    EXPECT_EQ(k.store->viewXMax, 4);
    EXPECT_EQ(k.store->viewYMin, 5);
    EXPECT_EQ(k.store->viewYMax, 6);
}

TEST(ViewCommands, PixelsReadBackAsValues)
{
    Keys k;
    k.store->addCurve("t.tab", "f", "1m", ' ');
    const PlotArea area = PlotAreaFor(761, 471);
    k.store->viewXMin = 0, k.store->viewXMax = 676; // one unit per pixel
    k.store->viewYMin = 0, k.store->viewYMax = 443;
    ComputeTransforms(*k.store, false, area);
    EXPECT_EQ(ColumnValue(*k.store, area.left + 10), 10);
    EXPECT_FALSE(std::signbit(RowValue(*k.store, area.bottom))); // 0, never -0 in the readout
    EXPECT_EQ(RowValue(*k.store, area.top), 443);
    EXPECT_EQ(RowPhase(*k.store, area.top), 180);

    k.store->logX = true;
    k.store->viewXMin = 1, k.store->viewXMax = 10000;
    ComputeTransforms(*k.store, false, area);
    EXPECT_NEAR(ColumnValue(*k.store, area.left), 1, 1e-12);
    EXPECT_NEAR(ColumnValue(*k.store, (area.left + area.right) / 2), 100,
                1e-9); // the geometric middle
    EXPECT_NEAR(ColumnValue(*k.store, area.right), 10000, 1e-8);
}

TEST(ViewCommands, OnlyABoxDraggedRightAndDownZooms)
{
    Keys k;
    k.store->addCurve("t.tab", "f", "1m", ' ');
    k.store->viewXMin = 1, k.store->viewXMax = 2, k.store->viewYMin = 3, k.store->viewYMax = 4;
    EXPECT_FALSE(ZoomToBox(*k.store, 100, 100, 200, 200)); // nothing drawn yet: no values
    EXPECT_EQ(k.store->viewXMin, 1);

    const PlotArea area = PlotAreaFor(761, 471);
    k.store->viewXMin = 0, k.store->viewXMax = 676;
    k.store->viewYMin = 0, k.store->viewYMax = 443;
    ComputeTransforms(*k.store, false, area);
    struct Box {
        int x0, y0, x1, y1;
    };
    for (Box b : {Box{200, 100, 100, 200}, Box{100, 200, 200, 100}, Box{200, 200, 100, 100},
                  Box{100, 100, 100, 100}, Box{100, 100, 200, 100}, Box{100, 100, 100, 200}}) {
        EXPECT_FALSE(ZoomToBox(*k.store, b.x0, b.y0, b.x1, b.y1))
            << b.x0 << "," << b.y0 << " " << b.x1 << "," << b.y1;
        EXPECT_EQ(k.store->viewXMax, 676);
        EXPECT_EQ(k.store->viewYMax, 443);
    }
    EXPECT_TRUE(ZoomToBox(*k.store, 100, 110, 200, 310));
    EXPECT_DOUBLE_EQ(k.store->viewXMin, 25);
    EXPECT_DOUBLE_EQ(k.store->viewXMax, 125);
    EXPECT_DOUBLE_EQ(k.store->viewYMin, 143); // the lower corner gives the bottom
    EXPECT_DOUBLE_EQ(k.store->viewYMax, 343);
}

TEST(ViewCommands, PanALogarithmicAxisDownAndLeft)
{
    Keys k;
    k.store->logX = k.store->logY = true;
    k.store->viewXMin = 10, k.store->viewXMax = 100000;
    k.Type("<");
    EXPECT_DOUBLE_EQ(k.store->viewXMin, 1);
    EXPECT_DOUBLE_EQ(k.store->viewXMax, 10000);
    k.store->viewYMin = 0.1, k.store->viewYMax = 1000;
    k.Type("d");
    EXPECT_DOUBLE_EQ(k.store->viewYMin, 0.01);
    EXPECT_DOUBLE_EQ(k.store->viewYMax, 100);
    k.Type("-");
    EXPECT_DOUBLE_EQ(k.store->viewYMax, 1e6);
}

// "c" draws from a fixed sequence, so a session's colours can be reproduced; all twenty curves
// get a colour of their own.
TEST(ViewCommands, RandomColoursFollowARepeatableSequence)
{
    Keys k;
    k.Type("c");
    const uint32_t first[] = {0x3CABB0, 0xEBE1B7, 0xFA0AEA};
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(k.store->curves[n].colour, first[n - 1]) << n;
    EXPECT_EQ(k.store->curves[MaxCurves].colour, 0xD29170u); // 0xC64112 was too dark to see
    for (int n = 1; n <= MaxCurves; ++n)
        for (int m = n + 1; m <= MaxCurves; ++m)
            EXPECT_NE(k.store->curves[n].colour, k.store->curves[m].colour) << n << " " << m;
    EXPECT_EQ(k.store->curves[0].colour, 0u); // slot 0 is no curve
}

// Where a held-down zoom stops: at the narrowest view whose ends still tell apart a 65536th of
// it, or at a range of 1e-290, whichever comes first.
TEST(ViewCommands, AHeldDownZoomStopsAtTheNarrowestDrawableView)
{
    struct Case {
        double low, high, finalRange;
    };
    for (Case c : {Case{1e6, 1e6 + 1, std::ldexp(1.0, -17)}, Case{0, 2 * 1e-290, 1e-290}}) {
        Keys k;
        k.store->viewXMin = c.low, k.store->viewXMax = c.high;
        for (int i = 0; i < 3000; ++i)
            k.Type("a");
        EXPECT_EQ(k.store->viewXMin, c.low);
        EXPECT_EQ(k.store->viewXMax - k.store->viewXMin, c.finalRange) << c.low;
    }
}

// Next to a power of two the spacing of doubles halves, so each end of the view is checked on
// its own: a step moves when both ends tell apart a 65536th of the new range, and stays when
// either one cannot, whichever side of the power of two it lies on.
TEST(ViewCommands, EachEndMustTellApartA65536thOfTheRange)
{
    const double p = std::ldexp(1.0, 20), e16 = std::ldexp(1.0, -16), e17 = std::ldexp(1.0, -17),
                 e18 = std::ldexp(1.0, -18), e19 = std::ldexp(1.0, -19);
    struct Case {
        const char* name;
        char key;
        double low, high;
        bool moves;
    };
    for (Case c : {Case{"low end on the power", 'a', -p, -p + e16, true},
                   Case{"high end reaches the power", '>', p - e17 - e19, p - e19, true},
                   Case{"low end cannot", 'a', -(p + e18), -(p + e18) + e16, false},
                   Case{"high end cannot", 'a', p - e18, p - e18 + e16, false}}) {
        Keys k;
        k.store->viewXMin = c.low, k.store->viewXMax = c.high;
        k.Type(std::string(1, c.key));
        const bool moved = k.store->viewXMin != c.low || k.store->viewXMax != c.high;
        EXPECT_EQ(moved, c.moves) << c.name;
    }
}

// A colour shows on a background from a contrast of 2.5; one that does not is mixed towards
// black on a light background, towards white on a dark one, only as far as it must.
TEST(ColourContrast, ColoursTooCloseToTheBackgroundAreMixedUntilTheyShow)
{
    struct Case {
        uint32_t colour, background, legible;
    };
    const Case cases[] = {
        {0xFFFFFF, 0x000000, 0xFFFFFF}, {0x0000FF, 0x000000, 0x0F0FFF}, // blue on black: 2.44
        {0x000080, 0x000000, 0x4F4FA7}, {0x800000, 0x000000, 0x972F2F},
        {0xFFFF00, 0xFFFFFF, 0xA0A000}, {0xFFFFFF, 0xFFFFFF, 0xA0A0A0}, // white on white
        {0xC0C0C0, 0xFFFFFF, 0x9C9C9C}, {0xFF0000, 0xFFFFFF, 0xFF0000}, // red shows on white
        {0x808080, 0x808080, 0x404040}, {0x000000, 0x000000, 0x4F4F4F},
    };
    for (const Case& c : cases) {
        const uint32_t legible = LegibleColour(c.colour, c.background);
        EXPECT_EQ(legible, c.legible) << std::hex << c.colour << " on " << c.background;
        EXPECT_GE(ContrastRatio(legible, c.background), MinimumContrast) << std::hex << c.colour;
    }
    // Without numbered divisions only a colour that would not show at all changes.
    struct Drawn {
        uint32_t colour, background;
        bool numbered;
        uint32_t drawn;
    };
    for (const Drawn& d :
         {Drawn{0x000080, 0x000000, false, 0x000080}, Drawn{0x000080, 0x000000, true, 0x4F4FA7},
          Drawn{0xFFFF00, 0xFFFFFF, false, 0xA0A000}, Drawn{0x00FFFF, 0xFFFFFF, false, 0x00B0B0},
          Drawn{0x00FF00, 0xFFFFFF, false, 0x00FF00}, Drawn{0x00FF00, 0xFFFFFF, true, 0x00B000},
          Drawn{0xFF123456, 0x000000, false, 0x123456}})
        EXPECT_EQ(DrawnColour(d.colour, d.background, d.numbered), d.drawn)
            << std::hex << d.colour << " on " << d.background << " " << d.numbered;
    EXPECT_DOUBLE_EQ(ContrastRatio(0x000000, 0xFFFFFF), 21);
    EXPECT_DOUBLE_EQ(ContrastRatio(0xFFFFFF, 0x000000), 21);
    EXPECT_DOUBLE_EQ(ContrastRatio(0x123456, 0x123456), 1);
}
