// The manual pages against the programs: every long option that a program's --help lists is
// described in its page's options, they name no option the program lacks, and the defaults that
// --help states appear there.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>

#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

const std::string ManualPages = TALVOR_EXAMPLES "/../packaging/man/";

std::string HelpText(const std::string& program)
{
    std::string command = "'" TALVOR_BINARY_DIR "/app/" + program + "' --help";
    std::string text;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, got);
        pclose(pipe);
    }
    return text;
}

// The page's section OPÇÕES, with the roff escapes that occur in option names and values taken
// out; empty when the page has no such section.
std::string PlainOptionsSection(const std::string& program)
{
    std::string text = ReadWholeFile(ManualPages + program + ".1");
    size_t start = text.find("\n.SH OPÇÕES\n");
    if (start == std::string::npos)
        return "";
    text = text.substr(start, text.find("\n.SH ", start + 1) - start);
    text = std::regex_replace(text, std::regex(R"(\\f[BIRP]|\\&)"), "");
    return std::regex_replace(text, std::regex(R"(\\-)"), "-");
}

// The last group of every match of pattern in text.
std::set<std::string> Matches(const std::string& text, const std::regex& pattern)
{
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it)
        found.insert((*it)[it->size() - 1]);
    return found;
}

// The long options named in a text ("--size=LxA" gives "--size"); --help is left out, since one
// program lists it in its help and the other does not.
std::set<std::string> LongOptions(const std::string& text)
{
    std::set<std::string> names = Matches(text, std::regex(R"((^|[\s\[|(])(--[a-z][a-z0-9-]*))"));
    names.erase("--help");
    return names;
}

// The values --help gives as defaults: "(padrão 0.7)", "(padrão: graus)", "padrão log-log".
std::set<std::string> HelpDefaults(const std::string& help)
{
    return Matches(help, std::regex(R"(padrão:? ([^\s)]+))"));
}

class ManualPage : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        if (std::string(GetParam()) == "talvor-plot" && !GuiProgramsBuilt)
            GTEST_SKIP() << "talvor-plot is not built (TALVOR_BUILD_GUI=OFF)";
        help = HelpText(GetParam());
        page = PlainOptionsSection(GetParam());
        ASSERT_FALSE(help.empty());
        ASSERT_FALSE(page.empty());
    }
    std::string help, page;
};

TEST_P(ManualPage, DescribesExactlyTheOptionsOfHelp)
{
    std::set<std::string> inHelp = LongOptions(help);
    ASSERT_GE(inHelp.size(), 5u) << help;
    for (const std::string& name : inHelp)
        EXPECT_EQ(LongOptions(page).count(name), 1u) << name << " is missing from the page";
    for (const std::string& name : LongOptions(page))
        EXPECT_EQ(inHelp.count(name), 1u) << name << " is in the page but not in --help";
}

TEST_P(ManualPage, StatesTheDefaultsOfHelp)
{
    std::set<std::string> defaults = HelpDefaults(help);
    ASSERT_GE(defaults.size(), 1u) << help;
    for (const std::string& value : defaults)
        EXPECT_NE(page.find(value), std::string::npos) << "default " << value << " not in the page";
}

INSTANTIATE_TEST_SUITE_P(Programs, ManualPage, testing::Values("talvor-cli", "talvor-plot"),
                         [](const testing::TestParamInfo<const char*>& program) {
                             std::string name = program.param;
                             name.erase(name.find('-'), 1);
                             return name;
                         });

// talvor-spice has two options, too few for the checks above: its page names both, and the
// three exit statuses that scripts rely on.
TEST(ManualPage, TalvorSpiceNamesItsOptionsAndExitStatuses)
{
    const std::string help = HelpText("talvor-spice");
    const std::string page = PlainOptionsSection("talvor-spice");
    const std::string whole = ReadWholeFile(ManualPages + "talvor-spice.1");
    for (const char* option : {"-o NETLIST", "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
        EXPECT_NE(page.find(std::string(option).substr(0, 2)), std::string::npos) << option;
    }
    const size_t statuses = whole.find(".SH CÓDIGOS DE SAÍDA");
    ASSERT_NE(statuses, std::string::npos);
    for (const char* status : {"\n.B 0\n", "\n.B 1\n", "\n.B 2\n"})
        EXPECT_NE(whole.find(status, statuses), std::string::npos) << status;
}

} // namespace
