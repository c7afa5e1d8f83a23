// The log's line buffer: one line per call, cut at a character boundary when it is too long.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/c_text.h"
#include "common/message_log.h"

using namespace talvor;

TEST(MessageLog, FormatsOneLinePerCallAndCutsAtACharacterBoundary)
{
    RecordingSink sink;
    MessageLog log(sink);
    log.AppendLog("%s", "");
    log.AppendLog("%d: %s", 3, "jV1");
    std::string accents;
    for (int i = 0; i < 3000; ++i)
        accents += "ó";
    log.AppendLog("%s", accents.c_str());
    ASSERT_EQ(sink.lines.size(), 3u);
    EXPECT_EQ(sink.lines[0], "");
    EXPECT_EQ(sink.lines[1], "3: jV1");
    EXPECT_EQ(sink.lines[2].size(), 4998u);
    EXPECT_TRUE(IsValidUtf8(sink.lines[2]));
}

TEST(MessageLog, AFormatThatFailsGivesAnEmptyLine)
{
    // A wide character that the C locale cannot encode makes vsnprintf fail.
    RecordingSink sink;
    MessageLog log(sink);
    log.AppendLog("%s", "antes");
    log.AppendLog("x%lcy", static_cast<wint_t>(0xE9));
    EXPECT_EQ(sink.lines, (std::vector<std::string>{"antes", ""}));
}
