// UTF-8 validation and cutting, the display of file bytes at its capacity, the clamps of the
// integer conversion, long numbers, and the log's line at the edges of its buffer.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "common/c_text.h"
#include "common/message_log.h"

using namespace talvor;

namespace {

TEST(IsValidUtf8, EverySequenceLengthAndItsLimits)
{
    struct Case {
        const char* bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"abc", true},
        {"\x7F", true},
        {"\xC2\x80", true},          // U+0080, the first two-byte character
        {"\xDF\xBF", true},          // U+07FF
        {"\xC8\x80", true},          // U+0200
        {"\xC3\xC3", false},         // a lead byte where a continuation belongs
        {"\xC1\xBF", false},         // U+007F in two bytes (overlong)
        {"\xC0\x80", false},         // overlong NUL
        {"\xE0\xA0\x80", true},      // U+0800, the first three-byte character
        {"\xE0\x9F\xBF", false},     // U+07FF in three bytes
        {"\xED\x9F\xBF", true},      // U+D7FF, just below the surrogates
        {"\xED\xA0\x80", false},     // U+D800, a surrogate
        {"\xED\xBF\xBF", false},     // U+DFFF, a surrogate
        {"\xEE\x80\x80", true},      // U+E000
        {"\xEF\xBF\xBF", true},      // U+FFFF
        {"\xF0\x90\x80\x80", true},  // U+10000, the first four-byte character
        {"\xF0\x8F\xBF\xBF", false}, // U+FFFF in four bytes
        {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF, the last character
        {"\xF4\x90\x80\x80", false}, // U+110000
        {"\xF8\x88\x80\x80\x80", false},
        {"\xFF", false},
        {"\x80", false},          // a continuation byte alone
        {"\xC3", false},          // cut after the lead byte
        {"\xE2\x82", false},      // cut inside a three-byte character
        {"\xF0\x9F\x98", false},  // cut inside a four-byte character
        {"\xC3(", false},         // no continuation
        {"\xE2(\xA1", false},     // second byte not a continuation
        {"\xE2\x82(", false},     // third byte not a continuation
        {"\xF0\x90\x80(", false}, // fourth byte not a continuation
        {"a\xC3\xA9"
         "b\xE2\x82\xAC"
         "c\xF0\x9F\x98\x80",
         true}, // é, €, 😀
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
}

TEST(IsValidUtf8, ReadsOnlyTheBytesItIsGiven)
{
    // Views that end before what follows them in memory.
    EXPECT_TRUE(IsValidUtf8(std::string_view("ab\x80", 2)));
    EXPECT_FALSE(IsValidUtf8(std::string_view("a\xC3\xA9", 2)));
    EXPECT_EQ(IntegerPrefix(std::string_view("12345", 2)), 12);
    EXPECT_EQ(IntegerPrefix(std::string_view("  7", 2)), 0);
}

TEST(Utf8PrefixLength, NeverCutsACharacter)
{
    struct Case {
        const char* text;
        size_t maxLength, length;
    };
    const Case cases[] = {
        {"abc", 2, 2},
        {"\xC3\xA9", 1, 0},
        {"\xC3\xA9", 2, 2},
        {"a\xC3\xA9", 2, 1},
        {"\xE2\x82\xAC", 1, 0},
        {"\xE2\x82\xAC", 2, 0},
        {"\xE2\x82\xAC", 3, 3},
        {"a\xE2\x82\xAC", 3, 1},
        {"a\xE2\x82\xAC", 4, 4},
        {"\xF0\x9F\x98\x80", 3, 0},
        {"\xF0\x9F\x98\x80", 4, 4},
        {"ab\xF0\x9F\x98\x80", 5, 2},
        {"ab\xF0\x9F\x98\x80", 6, 6},
        {"\xC3\xA9\xC3\xA9", 3, 2},
        // The lowest lead bytes of two and three bytes, cut after them or after one more.
        {"\xC0\x80", 1, 0},
        {"\xE0\xA0\x80", 2, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8PrefixLength(c.text, c.maxLength), c.length)
            << testing::PrintToString(c.text) << " at " << c.maxLength;
}

TEST(DisplayText, LatinOneBytesBecomeTwoByteCharacters)
{
    EXPECT_STREQ(DisplayText("\xB0").c_str(), "\xC2\xB0"); // °
    EXPECT_STREQ(DisplayText("\xFF").c_str(), "\xC3\xBF"); // ÿ
    EXPECT_STREQ(DisplayText("a\x80z").c_str(), "a\xC2\x80z");
}

TEST(DisplayText, CutsAtItsCapacityOnACharacterBoundary)
{
    const size_t room = DisplayText::Capacity - 1; // 4095 bytes of text
    struct Case {
        std::string bytes;
        std::string shown;
    };
    const Case cases[] = {
        {std::string(room, 'a'), std::string(room, 'a')},
        {std::string(room + 1, 'a'), std::string(room, 'a')},
        // Valid UTF-8 whose last character would straddle the end is cut before it.
        {std::string(room - 1, 'a') + "\xC3\xA9", std::string(room - 1, 'a')},
        {std::string(room - 2, 'a') + "\xC3\xA9", std::string(room - 2, 'a') + "\xC3\xA9"},
        // Latin-1 bytes take two bytes each when shown.
        {std::string(room - 2, 'a') + "\xE9", std::string(room - 2, 'a') + "\xC3\xA9"},
        {std::string(room - 1, 'a') + "\xE9", std::string(room - 1, 'a')},
        {std::string(room - 1, 'a') + "\xE9" + "b", std::string(room - 1, 'a')},
        {std::string(room - 1, 'a') + "\x80" + "b", std::string(room - 1, 'a')},
        // Plain bytes of a Latin-1 text are cut at the capacity too.
        {std::string(room + 100, 'a') + "\xE9", std::string(room, 'a')},
    };
    for (const Case& c : cases) {
        const std::string shown = DisplayText(c.bytes).c_str();
        EXPECT_EQ(shown.size(), c.shown.size()) << c.bytes.size();
        EXPECT_TRUE(shown == c.shown) << c.bytes.size();
    }
}

TEST(IntegerPrefix, ClampsToTheIntRange)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {" \t42abc", 42},
        {"+5", 5},
        {"-0", 0},
        {"- 5", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"21474836470", INT_MAX},
        {"99999999999999999999999", INT_MAX},
        {"-2147483647", -2147483647},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"-21474836470", INT_MIN},
        {"-99999999999999999999999", INT_MIN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IntegerPrefix(c.text), c.value) << c.text;
}

TEST(ScanDecimal, NumbersLongerThanItsBuffer)
{
    // 1 followed by 600 zeros after the point: read in full from the text.
    const std::string longOne = "1." + std::string(600, '0') + " x";
    const char* cursor = longOne.c_str();
    double value = -7;
    ASSERT_TRUE(ScanDecimal(cursor, value));
    EXPECT_EQ(value, 1.0);
    EXPECT_EQ(*cursor, ' ');
    const std::string tiny = "0." + std::string(600, '0') + "1e600";
    cursor = tiny.c_str();
    ASSERT_TRUE(ScanDecimal(cursor, value));
    EXPECT_DOUBLE_EQ(value, 0.1);
}

TEST(ScanDecimal, NumbersAroundItsBufferSize)
{
    for (size_t length : {510, 511, 512, 513}) {
        const std::string digits = std::string(length - 1, '0') + "7";
        const char* cursor = digits.c_str();
        double value = 0;
        ASSERT_TRUE(ScanDecimal(cursor, value)) << length;
        EXPECT_EQ(value, 7) << length;
        EXPECT_EQ(*cursor, '\0') << length;
    }
}

TEST(DecimalPrefix, FieldsAroundItsBufferSize)
{
    for (size_t length : {510, 511, 512, 513, 600})
        EXPECT_EQ(DecimalPrefix("7" + std::string(length - 1, ' ')), 7) << length;
}

TEST(DecimalPrefix, ReadsTheFieldsWithTheirSignAndExponent)
{
    EXPECT_EQ(DecimalPrefix("  -2.5e3xyz"), -2500);
    EXPECT_EQ(DecimalPrefix("0.7"), 0.7);
    EXPECT_EQ(DecimalPrefix("1e-9"), 1e-9);
}

TEST(MessageLog, LinesAtTheEdgeOfTheBuffer)
{
    RecordingSink sink;
    MessageLog log(sink);
    const int room = MessageLog::LineBufferSize - 1; // 4999 bytes
    log.AppendLog("%s", std::string(room, 'x').c_str());
    log.AppendLog("%s", std::string(room + 1, 'x').c_str());
    log.AppendLog("%s", (std::string(room - 1, 'x') + "\xC3\xB3").c_str());
    ASSERT_EQ(sink.lines.size(), 3u);
    EXPECT_EQ(sink.lines[0].size(), size_t(room));
    EXPECT_EQ(sink.lines[1].size(), size_t(room));
    EXPECT_EQ(sink.lines[2], std::string(room - 1, 'x'));
}

TEST(StdoutSink, EndsEveryLineOnce)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    StdoutSink sink(file);
    MessageLog log(sink);
    log.AppendLog("a");
    log.AppendLog("%s", "");
    log.AppendLog("b\n");
    std::rewind(file);
    char text[16] = {};
    const size_t read = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    EXPECT_EQ(std::string(text, read), "a\n\nb\n");
}

} // namespace
