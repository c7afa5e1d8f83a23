// SPICE numbers: engineering suffixes, M against MEG, mil, letters after the number, and the
// words that are not numbers.
#include <gtest/gtest.h>

#include <cmath>

#include "spice/spice_text.h"

using namespace talvor;

namespace {

TEST(SpiceNumber, ReadsSuffixesAsNgspiceDoes)
{
    struct Case {
        const char* word;
        double value;
    };
    const Case cases[] = {
        {"1000", 1000},  {"1k", 1e3},    {"1K", 1e3},         {"2.2meg", 2.2e6}, {"2.2MEG", 2.2e6},
        {"3M", 3e-3},    {"3m", 3e-3},   {"3Ma", 3e-3},       {"1megohm", 1e6},  {"4.7u", 4.7e-6},
        {"10uF", 10e-6}, {"100n", 1e-7}, {"5p", 5e-12},       {"1f", 1e-15},     {"1F", 1e-15},
        {"2g", 2e9},     {"1t", 1e12},   {"2mil", 50.8e-6},   {"1k5", 1e3},      {"47Ohm", 47},
        {"5V", 5},       {"1e3k", 1e6},  {"1.5e-3m", 1.5e-6}, {"-2.5", -2.5},    {"+.5", 0.5},
        {"5.", 5},       {"1e", 1},      {"1e-400", 0},
    };
    for (const Case& c : cases) {
        std::optional<double> value = ParseSpiceNumber(c.word);
        ASSERT_TRUE(value.has_value()) << c.word;
        EXPECT_EQ(*value, c.value) << c.word; // the double nearest to the decimal value
    }
}

TEST(SpiceNumber, RefusesWordsThatAreNotNumbers)
{
    for (const char* word :
         {"", "k", "abc", ".", "-", "1.5.3", "2-3", "1/2", "inf", "nan", "1_000", " 1"})
        EXPECT_FALSE(ParseSpiceNumber(word).has_value()) << word;
}

TEST(SpiceNumber, HugeValuesComeBackInfiniteForTheCallerToRefuse)
{
    for (const char* word : {"1e400", "1e308k", "1e99999999999999999999", "9e307meg"})
        EXPECT_TRUE(std::isinf(ParseSpiceNumber(word).value_or(0))) << word;
}

TEST(SpiceText, ShownWordsAreShortValidAndPrintable)
{
    EXPECT_EQ(Shown("R1"), "R1");
    EXPECT_EQ(Shown(std::string(100, 'x')), std::string(40, 'x') + "...");
    EXPECT_EQ(Shown("a\x01"
                    "b"),
              "a?b");
    EXPECT_EQ(Shown("\xe9t\xe9"), "\xc3\xa9t\xc3\xa9"); // Latin-1 shown as UTF-8
    // A cut never splits a UTF-8 character.
    std::string accents;
    for (int k = 0; k < 30; ++k)
        accents += "\xc3\xa9";
    EXPECT_EQ(Shown(accents), accents.substr(0, 40) + "...");
}

TEST(SpiceText, NumbersAreWrittenShortAndExact)
{
    for (double value : {1000.0, 1e-6, 0.1, 2.2e6, 0.025864917007157463, -3.5, 1e30})
        EXPECT_EQ(std::stod(NumberText(value)), value);
    EXPECT_EQ(NumberText(1000), "1000");
    EXPECT_EQ(NumberText(1e-6), "1e-06");
}

// A source's magnitude must fit Talvor's word of 10 characters.
TEST(SpiceText, NumbersShortenedToAWidthKeepTheMostDigits)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.7853981633974483, "0.78539816"},
        {-0.7853981633974483, "-0.7853982"},
        {1.2345678901234e-5, "1.2346e-05"},
        {123456789012.0, "1.2346e+11"},
        {1, "1"},
        {-1.5e-300, "-1.5e-300"},
        {0.1, "0.1"},
        {2.5e6, "2500000"},
    };
    for (const Case& c : cases) {
        const std::string text = NumberText(NumberInWidth(c.value, 10));
        EXPECT_LE(text.size(), 10u) << c.value;
        EXPECT_EQ(text, c.text) << c.value;
    }
}

} // namespace
