// The C-style field scanner: splitting of long words, integers, scan sets and the stop at the
// first field that cannot be read, the end of what a scan set keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "netlist/line_scanner.h"

using namespace talvor;

TEST(LineScanner, SplitsWordsLongerThanTenCharacters)
{
    LineScanner scan("  abcdefghijklm\tn");
    Field a = "", b = "", c = "", d = "unchanged";
    EXPECT_TRUE(scan.Text(a));
    EXPECT_TRUE(scan.Text(b));
    EXPECT_TRUE(scan.Text(c));
    EXPECT_FALSE(scan.Text(d));
    EXPECT_STREQ(a, "abcdefghij");
    EXPECT_STREQ(b, "klm");
    EXPECT_STREQ(c, "n");
    EXPECT_STREQ(d, "unchanged");
    EXPECT_EQ(scan.Converted(), 3);
}

TEST(LineScanner, StopsAtTheFirstFieldThatCannotBeRead)
{
    LineScanner scan("1k 2 word");
    double x = -1, y = -1;
    Field w = "";
    EXPECT_TRUE(scan.Number(x));
    EXPECT_FALSE(scan.Number(y)); // "k"
    EXPECT_FALSE(scan.Text(w));   // nothing is read after a failed field
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, -1);
    EXPECT_STREQ(w, "");
    EXPECT_EQ(scan.Converted(), 1);
}

TEST(LineScanner, IntegersEndAtTheFirstNonDigitAndAreClamped)
{
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {{" 10.5", true, 10},
                          {"-7", true, -7},
                          {"+3x", true, 3},
                          {"99999999999999999999", true, 2147483647},
                          {"-99999999999", true, -2147483647 - 1},
                          {"x1", false, 0},
                          {"-", false, 0}};
    for (const Case& c : cases) {
        LineScanner scan(c.text);
        int value = 0;
        EXPECT_EQ(scan.Integer(value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    LineScanner scan("10.5");
    int points = 0;
    double rest = 0;
    EXPECT_TRUE(scan.Integer(points) && scan.Number(rest));
    EXPECT_EQ(rest, 0.5);
}

TEST(LineScanner, ScanSetsSkipNoWhiteSpaceAndKeepWhatFits)
{
    char run[8] = "";
    LineScanner tab("\tL=1");
    EXPECT_FALSE(tab.Run("L= ", run, sizeof run));

    std::string longRun = std::string(40, ' ') + "L=2e-6";
    LineScanner scan(longRun.c_str());
    double length = 0;
    EXPECT_TRUE(scan.Run("L= ", run, sizeof run));
    EXPECT_TRUE(scan.Number(length));
    EXPECT_EQ(std::string(run), std::string(7, ' '));
    EXPECT_EQ(length, 2e-6);
}

TEST(LineScanner, RunEndsWhatItKeepsWithinItsCapacity)
{
    char run[7];
    for (const char* text : {"ab", "aaaaaa", "aaaaaaaa"}) {
        std::memset(run, '#', sizeof run);
        LineScanner scan(text);
        EXPECT_TRUE(scan.Run("ab", run, 6)) << text;
        const std::string kept = std::string(text).substr(0, 5);
        EXPECT_EQ(std::string(run, kept.size() + 2), kept + '\0' + '#') << text;
    }
}
