// Matching one command-line argument against an option's name: flags leave no value behind.
#include <gtest/gtest.h>

#include <string_view>

#include "common/command_line.h"

using namespace talvor;

namespace {

TEST(OptionMatch, FlagsLeaveNoValueAndValuedOptionsTakeTheRest)
{
    std::string_view value = "left over";
    EXPECT_TRUE(command_line::Matches("--db", "--db", value));
    EXPECT_TRUE(value.empty());
    value = "left over";
    EXPECT_FALSE(command_line::Matches("--db", "--dbx", value));
    EXPECT_TRUE(value.empty());
    EXPECT_TRUE(command_line::Matches("--g0=", "--g0=1e-3", value));
    EXPECT_EQ(value, "1e-3");
    EXPECT_FALSE(command_line::Matches("--g0=", "--g0", value));
}

} // namespace
