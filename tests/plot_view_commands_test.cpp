// The graph window's keyboard commands on the view limits and the palette.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plot/curve_store.h"
#include "plot/plot_run.h"
#include "plot/view_commands.h"

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

    bool changed = false;
    for (int round = 0; round < 50; ++round) {
        k.Type("c");
        for (int n = 1; n <= MaxCurves; ++n) {
            uint32_t colour = k.store->curves[n].colour;
            for (int shift : {0, 8, 16})
                EXPECT_LE((colour >> shift) & 0xFF, 254u);
            EXPECT_EQ(colour >> 24, 0u);
            changed = changed || colour != k.store->curves[1].colour;
        }
    }
    EXPECT_TRUE(changed);
}
