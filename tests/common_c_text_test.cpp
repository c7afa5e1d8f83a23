// Number scanning, the dialog conversions and the display of file bytes.
#include <gtest/gtest.h>

#include <string>

#include "common/c_text.h"

using namespace talvor;

TEST(ScanDecimal, ReadsPlainDecimalNumbersAndStopsAtTheFirstOtherCharacter)
{
    struct Case {
        const char* text;
        bool ok;
        double value;
        size_t consumed;
    };
    const Case cases[] = {
        {"1000", true, 1000, 4},   {"  2.5 x", true, 2.5, 5}, {"1k", true, 1, 1},
        {"-1e-3", true, -1e-3, 5}, {"1e", true, 1, 1},        {"1e+", true, 1, 1},
        {".5", true, 0.5, 2},      {"5.", true, 5, 2},        {"+.e3", false, 0, 0},
        {"abc", false, 0, 0},      {"", false, 0, 0},         {"inf", false, 0, 0},
        {"nan", false, 0, 0},      {"0x10", true, 0, 1},      {"1E3", true, 1000, 3},
    };
    for (const Case& c : cases) {
        const char* cursor = c.text;
        double value = -7;
        EXPECT_EQ(ScanDecimal(cursor, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(value, c.value) << c.text;
            EXPECT_EQ(static_cast<size_t>(cursor - c.text), c.consumed) << c.text;
        } else {
            EXPECT_EQ(cursor, c.text);
            EXPECT_EQ(value, -7);
        }
    }
}

TEST(DialogConversions, TakeTheLongestLeadingNumberOrZero)
{
    EXPECT_EQ(DecimalPrefix("abc"), 0);
    EXPECT_EQ(DecimalPrefix(" 1e3"), 1000);
    EXPECT_EQ(DecimalPrefix(""), 0);
    EXPECT_EQ(IntegerPrefix("1e3"), 1);
    EXPECT_EQ(IntegerPrefix(" -12x"), -12);
    EXPECT_EQ(IntegerPrefix("99999999999999"), 2147483647);
    EXPECT_EQ(IntegerPrefix("x"), 0);
}

TEST(DisplayText, KeepsUtf8AndReadsOtherBytesAsLatin1)
{
    EXPECT_STREQ(DisplayText("nó").c_str(), "nó");
    EXPECT_STREQ(DisplayText("n\xF3").c_str(), "nó");
    EXPECT_STREQ(DisplayText(std::string("a\0b", 3)).c_str(), "a");
    std::string huge(10000, '\xE9');
    DisplayText shown(huge);
    std::string text = shown.c_str();
    EXPECT_LT(text.size(), DisplayText::Capacity);
    EXPECT_TRUE(IsValidUtf8(text));
}
