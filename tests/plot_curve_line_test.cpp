// The curve-line scan: items, their widths and the file name's two parts.
#include <gtest/gtest.h>

#include <string>

#include "plot/curve_line.h"

using namespace talvor;

TEST(ScanCurveLine, ReadsItemsAsTheScanFormatDoes)
{
    struct Case {
        const char* line;
        int items;
        const char* fileName;
        const char* xName;
        const char* yName;
        char operation;
        const char* legend = "";
    };
    const Case cases[] = {
        {"", -1, "", "", "", ' '},
        {"exemplo.tab f 1m", 4, "exemplo.tab", "f", "1m", ' '},
        {"exemplo.tab\tf\t1m  x", 5, "exemplo.tab", "f", "1m", 'x'},
        {"meu circuito.tab f 2f +", 5, "meu circuito.tab", "f", "2f", '+'},
        {"a.tab f 1m -junk", 5, "a.tab", "f", "1m", '-'},
        {"semponto f 1m", 1, "semponto f 1m", "", "", ' '},
        {".tab f 1m", 0, "", "", "", ' '},
        {"a.tab f", 3, "a.tab", "f", "", ' '},
        {"a.tab", 2, "a.tab", "", "", ' '},
        {"   ", 1, "   ", "", "", ' '},
        {"a.b.c x y", 4, "a.b.c", "x", "y", ' '},
        // A column name of more than 19 characters is cut; the rest becomes the next item.
        {"a.tab abcdefghijklmnopqrstu y", 5, "a.tab", "abcdefghijklmnopqrs", "tu", 'y'},
        // A legend in quotes after the columns, or after the operation.
        {"rc_2.tab f 2m \"R1 = 2200\"", 4, "rc_2.tab", "f", "2m", ' ', "R1 = 2200"},
        {"rc_2.tab f 2m + \"soma\" resto", 5, "rc_2.tab", "f", "2m", '+', "soma"},
        {"rc_2.tab f 2m x\"oculta", 5, "rc_2.tab", "f", "2m", 'x', "oculta"},
        {"rc_2.tab f 2m \"\"", 4, "rc_2.tab", "f", "2m", ' ', ""},
        {"rc_2.tab f 2m \"a\nb\"", 4, "rc_2.tab", "f", "2m", ' ', "a"},
        {"rc_2.tab f 2m \"0123456789012345678901234567890123456789012345678901234567890123456789\"",
         4, "rc_2.tab", "f", "2m", ' ',
         "012345678901234567890123456789012345678901234567890123456789012"},
        {"rc_2.tab f \"2m\"", 4, "rc_2.tab", "f", "\"2m\"", ' '},
    };
    for (const Case& c : cases) {
        CurveLine out;
        EXPECT_EQ(ScanCurveLine(c.line, out), c.items) << c.line;
        EXPECT_STREQ(out.fileName, c.fileName) << c.line;
        EXPECT_STREQ(out.xName, c.xName) << c.line;
        EXPECT_STREQ(out.yName, c.yName) << c.line;
        EXPECT_EQ(out.operation, c.operation) << c.line;
        EXPECT_STREQ(out.legend, c.legend) << c.line;
    }
}

TEST(ScanCurveLine, TakesAtMostAHundredCharactersForEachPartOfTheFileName)
{
    std::string first(150, 'd');
    std::string line = first + ".tab f 1m";
    CurveLine out;
    // The first part stops after 100 characters; the next word is the remaining 50 "d"s and
    // ".tab", so the column names shift by one item.
    EXPECT_EQ(ScanCurveLine(line.c_str(), out), 4);
    EXPECT_EQ(std::string(out.fileName), std::string(150, 'd') + ".tab");
    EXPECT_STREQ(out.xName, "f");
    EXPECT_STREQ(out.yName, "1m");

    std::string longExtension = "a." + std::string(200, 'e') + " f 1m";
    EXPECT_EQ(ScanCurveLine(longExtension.c_str(), out), 5);
    EXPECT_EQ(std::string(out.fileName), "a." + std::string(99, 'e'));
    EXPECT_EQ(std::string(out.xName), std::string(19, 'e'));
}

// A first part of 250 characters: 100 of them, then a second word of 100, and what is left
// spills into the column fields and the operation.
TEST(ScanCurveLine, AFirstPartBeyondTwoHundredCharactersSpillsIntoTheColumns)
{
    std::string line = std::string(250, 'd') + ".tab f 1m";
    CurveLine out;
    EXPECT_EQ(ScanCurveLine(line.c_str(), out), 5);
    EXPECT_EQ(std::string(out.fileName), std::string(200, 'd'));
    EXPECT_EQ(std::string(out.xName), std::string(19, 'd'));
    EXPECT_EQ(std::string(out.yName), std::string(19, 'd'));
    EXPECT_EQ(out.operation, 'd');
}

// Items that a line does not have are empty even when the record held an earlier line.
TEST(ScanCurveLine, ItemsNotReadAreEmptiedInAReusedRecord)
{
    CurveLine out;
    ASSERT_EQ(ScanCurveLine("um.tab f 1m +", out), 5);
    EXPECT_EQ(ScanCurveLine("dois.tab", out), 2);
    EXPECT_STREQ(out.fileName, "dois.tab");
    EXPECT_STREQ(out.xName, "");
    EXPECT_STREQ(out.yName, "");
    EXPECT_EQ(out.operation, ' ');
}
