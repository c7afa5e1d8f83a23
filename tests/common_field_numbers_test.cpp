// Numbers typed into fields: the decimal comma, the fit of the text, and the log line.
#include <gtest/gtest.h>

#include <string>

#include "common/c_text.h"
#include "common/field_numbers.h"
#include "common/message_log.h"

using namespace talvor;

namespace {

struct Case {
    const char* text;
    double value;
    FieldFit fit;
};

TEST(FieldNumbers, DecimalFieldsReadACommaAsThePointAndTellWhatTheTextHeld)
{
    const Case cases[] = {
        {"0,1", 0.1, FieldFit::Number},
        {"0.1", 0.1, FieldFit::Number},
        {" -2,5e3 ", -2500, FieldFit::Number},
        {",5", 0.5, FieldFit::Number},
        {"5,", 5, FieldFit::Number},
        {"1,000", 1, FieldFit::Number}, // the comma is the decimal one, as a Brazilian reads it
        {"1.000,5", 1, FieldFit::TextAfter},
        {"0.1,5", 0.1, FieldFit::TextAfter},
        {"1,5,5", 1.5, FieldFit::TextAfter},
        {"1e-9", 1e-9, FieldFit::Number},
        {"1k", 1, FieldFit::TextAfter},
        {"1 2", 1, FieldFit::TextAfter},
        {"0x10", 0, FieldFit::TextAfter},
        {"abc", 0, FieldFit::NoNumber},
        {"", 0, FieldFit::NoNumber},
        {"   ", 0, FieldFit::NoNumber},
        {",", 0, FieldFit::NoNumber},
        {"-,", 0, FieldFit::NoNumber},
        {"a,5", 0, FieldFit::NoNumber},
        {"inf", 0, FieldFit::NoNumber},
    };
    for (const Case& c : cases) {
        const FieldNumber reading = ReadDecimalField(c.text);
        EXPECT_DOUBLE_EQ(reading.value, c.value) << c.text;
        EXPECT_EQ(reading.fit, c.fit) << c.text;
        // A text without a comma reads exactly as the dialog always read it.
        if (std::string(c.text).find(',') == std::string::npos) {
            EXPECT_EQ(reading.value, DecimalPrefix(c.text)) << c.text;
        }
    }
}

TEST(FieldNumbers, CountFieldsTakeTheLeadingInteger)
{
    const Case cases[] = {
        {"1000", 1000, FieldFit::Number}, {" +7 ", 7, FieldFit::Number},
        {"-3", -3, FieldFit::Number},     {"1e3", 1, FieldFit::TextAfter},
        {"1,5", 1, FieldFit::TextAfter},  {"10.", 10, FieldFit::TextAfter},
        {"x", 0, FieldFit::NoNumber},     {"-", 0, FieldFit::NoNumber},
        {"", 0, FieldFit::NoNumber},
    };
    for (const Case& c : cases) {
        const FieldNumber reading = ReadIntegerField(c.text);
        EXPECT_EQ(reading.value, c.value) << c.text;
        EXPECT_EQ(reading.fit, c.fit) << c.text;
        EXPECT_EQ(reading.value, IntegerPrefix(c.text)) << c.text;
    }
}

TEST(FieldNumbers, TheLogLineNamesTheFieldQuotesTheTextAndGivesTheValueUsed)
{
    const FieldWords words{"Frequência inicial", "--sweep"};
    struct Line {
        std::string text;
        std::string expected; // empty: no line
    };
    const Line lines[] = {
        {"0,1", ""},
        {" 10 ", ""},
        {"abc", "Frequência inicial (--sweep): \"abc\" não é um número; usado 0."},
        {"", "Frequência inicial (--sweep): \"\" não é um número; usado 0."},
        {"1k", "Frequência inicial (--sweep): \"1k\" tem texto depois do número; usado 1."},
        {"2,5 Hz",
         "Frequência inicial (--sweep): \"2,5 Hz\" tem texto depois do número; usado 2.5."},
        // Latin-1 from a file shows as UTF-8; a long text is cut, whole characters only.
        {"1\xB5", "Frequência inicial (--sweep): \"1µ\" tem texto depois do número; usado 1."},
        {"1" + std::string(58, 'x') + "é", "Frequência inicial (--sweep): \"1" +
                                               std::string(58, 'x') +
                                               "...\" tem texto depois do número; usado 1."},
    };
    for (const Line& l : lines) {
        RecordingSink sink;
        MessageLog log(sink);
        EXPECT_EQ(ReadReportedDecimal(log, words, l.text), ReadDecimalField(l.text).value);
        if (l.expected.empty()) {
            EXPECT_TRUE(sink.lines.empty()) << l.text;
        } else {
            ASSERT_EQ(sink.lines.size(), 1u) << l.text;
            EXPECT_EQ(sink.lines[0], l.expected);
        }
    }
}

} // namespace
