// Numbered divisions: tick values, their texts and their spacing over a table of axes; the axis
// titles from the columns plotted.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "plot/axis_labels.h"
#include "plot/curve_store.h"
#include "plot/plot_run.h"

using namespace talvor;

namespace {

// Six pixels per character (the micro sign is one).
class CharacterWidths : public LabelExtent {
public:
    double Of(const char* text) const override
    {
        double width = 0;
        for (const char* c = text; *c != '\0'; ++c)
            width += (static_cast<unsigned char>(*c) & 0xC0) != 0x80 ? 6 : 0;
        return width;
    }
};

// An axis of the given kind and limits across length pixels, as the painter spans it.
AxisSpan Span(AxisKind kind, double low, double high, int length, bool vertical)
{
    AxisSpan span;
    span.kind = kind;
    span.low = low, span.high = high;
    const bool logarithmic = kind == AxisKind::Logarithmic;
    const double a = logarithmic ? std::log(low) : low, b = logarithmic ? std::log(high) : high;
    span.scale = (vertical ? -length : length) / (b - a);
    span.offset = (vertical ? length : 0) - a * span.scale;
    span.minSpacing = vertical ? (kind == AxisKind::Phase ? 80 : 36) : 60;
    span.gap = vertical ? 4 : 12;
    return span;
}

std::string Texts(const AxisTicks& ticks)
{
    std::string texts;
    for (int i = 0; i < ticks.count; ++i)
        texts += (i ? " " : "") + std::string(ticks.ticks[i].text);
    return texts;
}

} // namespace

TEST(AxisTicks, ValuesAndTextsOverATableOfAxes)
{
    struct Case {
        AxisKind kind;
        double low, high;
        int length;
        bool vertical;
        const char* texts;
    };
    constexpr AxisKind Lin = AxisKind::Linear, Log = AxisKind::Logarithmic, Phase = AxisKind::Phase;
    const Case cases[] = {
        {Log, 1, 1e6, 676, false, "1 10 100 1k 10k 100k 1M"},
        {Log, 1.0000001, 999999, 676, false, "10 100 1k 10k 100k"}, // limits just off a decade
        {Log, 0.001, 1, 443, true, "1m 10m 100m 1"},
        {Log, 1e-9, 1e-6, 443, true, "1n 10n 100n 1\xc2\xb5"},
        {Log, 1, 1e12, 300, false, "1 100k 10G"},                             // every fifth decade
        {Log, 1, 1e8, 400, false, "1 100 10k 1M 100M"},                       // every second
        {Log, 1e-38, 1e38, 676, false, "1e-30 1e-20 1e-10 1 1e10 1e20 1e30"}, // 76 decades
        {Log, 5, 500, 676, false, "5 10 20 50 100 200 500"},    // two decades: 1, 2, 5
        {Log, 100, 150, 676, false, "100 110 120 130 140 150"}, // within a decade
        {Log, 95, 500, 676, false, "100 200 500"},
        {Lin, 0.001, 1, 676, false, "0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8 0.9 1.0"},
        {Lin, 0, 100, 443, true, "0 10 20 30 40 50 60 70 80 90 100"},
        {Lin, -180, 180, 676, false, "-150 -100 -50 0 50 100 150"},
        {Lin, -1, 1, 443, true, "-1.0 -0.8 -0.6 -0.4 -0.2 0 0.2 0.4 0.6 0.8 1.0"},
        {Lin, 0, 1e6, 676, false, "0 0.1M 0.2M 0.3M 0.4M 0.5M 0.6M 0.7M 0.8M 0.9M 1.0M"},
        {Lin, 0, 0.005, 443, true, "0 0.5m 1.0m 1.5m 2.0m 2.5m 3.0m 3.5m 4.0m 4.5m 5.0m"},
        {Lin, -80.0001, 0, 443, true, "-80 -70 -60 -50 -40 -30 -20 -10 0"},
        {Lin, 1, 1.000001, 676, false,
         "1.0000000 1.0000001 1.0000002 1.0000003 1.0000004 1.0000005 1.0000006 1.0000007 "
         "1.0000008 1.0000009 1.0000010"},
        {Phase, -180, 180, 443, true, "-180 -90 0 90 180"},
        {Phase, -180, 180, 1000, true, "-180 -135 -90 -45 0 45 90 135 180"},
        {Phase, -180, 180, 100, true, "-180 0 180"},
        {Lin, 7, 7, 443, true, ""},    // a range of one value
        {Lin, 10, 0, 443, true, ""},   // reversed
        {Log, -1, 10, 676, false, ""}, // no logarithm
    };
    for (const Case& c : cases) {
        auto ticks = std::make_unique<AxisTicks>();
        ComputeAxisTicks(Span(c.kind, c.low, c.high, c.length, c.vertical), CharacterWidths(),
                         *ticks);
        EXPECT_EQ(Texts(*ticks), c.texts) << c.low << " " << c.high;
    }
}

// Wherever the limits fall, the labels of an axis keep their spacing and gap, lie within the
// axis, and each stands at its own value's pixel.
TEST(AxisTicks, LabelsNeverCrowdAndSitAtTheirValues)
{
    const CharacterWidths widths;
    for (AxisKind kind : {AxisKind::Linear, AxisKind::Logarithmic}) {
        for (int length : {40, 150, 443, 676, 1600}) {
            for (double low : {1e-7, 0.3, 1.0, 7.0, 123.0, 1e5}) {
                for (double ratio : {1.001, 1.5, 3.0, 10.0, 1e3, 1e9, 1e40}) {
                    const AxisSpan span = Span(kind, low, low * ratio, length, false);
                    auto ticks = std::make_unique<AxisTicks>();
                    ComputeAxisTicks(span, widths, *ticks);
                    for (int i = 0; i < ticks->count; ++i) {
                        const AxisTick& t = ticks->ticks[i];
                        const double slack = 1e-9 * (low * ratio - low);
                        EXPECT_GE(t.value, low - slack);
                        EXPECT_LE(t.value, low * ratio + slack);
                        const double position =
                            kind == AxisKind::Logarithmic ? std::log(t.value) : t.value;
                        EXPECT_NEAR(t.pixel, position * span.scale + span.offset, 0.5);
                        if (i == 0)
                            continue;
                        const AxisTick& p = ticks->ticks[i - 1];
                        const double distance = t.pixel - p.pixel;
                        EXPECT_GE(distance, span.minSpacing) << low << " " << ratio;
                        EXPECT_GE(distance, (widths.Of(t.text) + widths.Of(p.text)) / 2 + span.gap);
                    }
                    if (length >= 443 && ratio >= 1.5 && ratio <= 1e9) {
                        EXPECT_GE(ticks->count, 2) << low << " " << ratio << " " << length;
                    }
                }
            }
        }
    }
}

TEST(AxisTicks, EngineeringForm)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {1, "1"},
        {10, "10"},
        {999, "999"},
        {1000, "1k"},
        {999.95, "1k"},
        {-4700, "-4.7k"},
        {2.5e6, "2.5M"},
        {1e-6, "1\xc2\xb5"},
        {0.1, "100m"},
        {1.5e-12, "1.5p"},
        {1e24, "1Y"},
        {1e26, "100Y"},
        {1e27, "1e27"},
        {1e-25, "1e-25"},
        {1e-24, "1y"},
        {9.9996e-28, "1e-27"},
        {0, "0"},
        {123456, "123k"},
        {-0.00025, "-250\xc2\xb5"},
    };
    for (const Case& c : cases) {
        char text[24];
        FormatEngineering(c.value, text, sizeof text);
        EXPECT_STREQ(text, c.text) << c.value;
    }
}

TEST(AxisTitles, FromTheColumnsShownWithTheirUnitsWhereKnown)
{
    struct Curve {
        const char* file;
        const char* x;
        const char* y;
        bool phase;
        char operation;
    };
    struct Case {
        std::vector<Curve> curves;
        std::string unitsPath; // "-": no units known
        const char* x;
        const char* left;
        const char* right;
        bool leftIsPhase;
    };
    const Curve magnitude{"a.tab", "f", "2m", false, ' '}, phase{"a.tab", "f", "2f", true, ' '};
    const Case cases[] = {
        {{magnitude}, "a.tab", "f (Hz)", "módulo (dB)", "", false},
        {{magnitude}, "-", "f", "módulo", "", false},
        {{magnitude, phase}, "a.tab", "f (Hz)", "módulo (dB)", "fase (graus)", false},
        {{phase}, "", "f (Hz)", "fase (graus)", "", true},
        {{magnitude, {"b.tab", "f", "3m", false, ' '}}, "a.tab", "f", "módulo", "", false},
        {{{"x.txt", "t", "v", false, ' '},
          {"x.txt", "t", "i", false, ' '},
          {"x.txt", "t", "v", false, ' '}},
         "",
         "t",
         "v, i",
         "",
         false},
        {{{"x.txt", "t", "v", false, ' '}, {"y.txt", "u", "2m", false, ' '}},
         "",
         "t, u",
         "v, 2m",
         "",
         false},
        {{phase, {"a.tab", "f", "v", false, 'x'}}, "a.tab", "f (Hz)", "fase (graus)", "", true},
        {{{"a.tab", "f", "2f", false, ' '}}, "a.tab", "f (Hz)", "2f", "", false}, // phases off
    };
    for (const Case& c : cases) {
        auto store = std::make_unique<CurveStore>();
        store->beginPlot();
        for (const Curve& curve : c.curves) {
            const int k = store->addCurve(curve.file, curve.x, curve.y, curve.operation);
            store->curves[k].isPhase = curve.phase;
        }
        PlotOptions options;
        if (c.unitsPath != "-") {
            options.tableUnitsPath = c.unitsPath;
            options.tableUnits = {MagnitudeUnit::Decibel, PhaseUnit::Degrees, FrequencyUnit::Hertz};
        }
        const AxisTitles titles = TitlesOf(*store, options);
        EXPECT_EQ(titles.x, c.x) << c.left;
        EXPECT_EQ(titles.left, c.left);
        EXPECT_EQ(titles.right, c.right) << c.left;
        EXPECT_EQ(titles.leftIsPhase, c.leftIsPhase) << c.left;
    }
}
