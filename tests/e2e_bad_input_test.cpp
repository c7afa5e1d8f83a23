// The bad-input catalogue (tests/data/bad/catalogue.tsv) run against the built programs: every
// entry must end within seconds with its exit status and its final log lines, write its log as
// valid UTF-8, leave its input file as it was, and draw no sanitizer report.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/c_text.h"
#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

namespace fs = std::filesystem;

const std::string Catalogue = TALVOR_TEST_DATA "/bad";
constexpr int TimeLimitSeconds = 10;

// One line of the catalogue: input, program, options, exit status, the final log lines (separated
// by " // "; a trailing "*" makes a line a prefix), and what the entry stands for.
struct Entry {
    std::string input;
    std::string program; // "cli" or "plot"
    std::string options;
    int status = -1;
    std::string finalLine;
    std::string what;
};

std::vector<Entry> ReadCatalogue()
{
    std::vector<Entry> entries;
    for (const std::vector<std::string>& f : ReadCatalogueRows(Catalogue + "/catalogue.tsv", 6))
        entries.push_back({f[0], f[1], f[2], std::atoi(f[3].c_str()), f[4], f[5]});
    return entries;
}

// The inputs too big to keep in the repository, or that are not plain files.
void GenerateInputs(const std::string& dir)
{
    std::ofstream(dir + "/long_line.net")
        << "Uma linha de 1 MB\nV1 1 0 1\nR1 1 0 1000" << std::string(1 << 20, ' ')
        << "999\n.AC DEC 3 10 1000\n";
    fs::create_directory(dir + "/directory.net");

    std::ofstream wide(dir + "/columns_1001.tab");
    wide << "f";
    for (int k = 2; k <= 1001; ++k)
        wide << " c" << k;
    wide << "\n1 2 3\n";
    std::ofstream(dir + "/columns_1001.curves") << "columns_1001.tab f c1001\n";

    std::ofstream tall(dir + "/rows_50001.tab");
    tall << "f 1m 1f \n";
    for (int k = 1; k <= 50001; ++k)
        tall << k << ' ' << 1.0 / k << " -45\n";
    std::ofstream(dir + "/rows_50001.curves") << "rows_50001.tab f 1m\n";

    std::ofstream(dir + "/long_line_table.tab")
        << "f 1m 1f \n1 1 0\n2 0.5" << std::string(1 << 20, ' ') << "-45\n3 0.25 -60\n";
    std::ofstream(dir + "/long_line_table.curves") << "long_line_table.tab f 1m\n";

    fs::create_directory(dir + "/directory_table.tab");
    std::ofstream(dir + "/directory_table.curves") << "directory_table.tab f 1m\n";
    fs::create_symlink("/dev/zero", dir + "/device_table.tab");
    std::ofstream(dir + "/device_table.curves") << "device_table.tab f 1m\n";
}

struct Outcome {
    int status = -1;
    bool timedOut = false;
    std::string out, err;
};

Outcome RunEntry(const Entry& entry, const std::string& dir)
{
    const std::string stem = fs::path(entry.input).stem().string();
    std::string command = "cd '" + dir + "' && " + FileSizeCap + "timeout -s KILL " +
                          std::to_string(TimeLimitSeconds) + " '" TALVOR_BINARY_DIR "/app/";
    if (entry.program == "cli")
        command += "talvor-cli' " + entry.options + " '" + entry.input + "'";
    else
        command += "talvor-plot' " + entry.options + " '" + entry.input + "' -o '" + stem + ".png'";
    command += " >'" + stem + ".out' 2>'" + stem + ".err'";
    int status = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.timedOut = outcome.status == 137 || outcome.status == 124;
    outcome.out = ReadWholeFile(dir + "/" + stem + ".out");
    outcome.err = ReadWholeFile(dir + "/" + stem + ".err");
    return outcome;
}

// The log's last lines, as many as expected.
std::vector<std::string> LastLines(const std::string& text, size_t count)
{
    std::vector<std::string> lines = SplitLines(text);
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (lines.size() > count)
        lines.erase(lines.begin(), lines.end() - static_cast<long>(count));
    return lines;
}

// The expected final lines are separated by " // "; a line ending in "*" is a prefix.
std::vector<std::string> ExpectedLines(const std::string& field)
{
    std::vector<std::string> lines;
    for (size_t start = 0;;) {
        size_t end = field.find(" // ", start);
        lines.push_back(field.substr(start, end - start));
        if (end == std::string::npos)
            return lines;
        start = end + 4;
    }
}

bool Matches(const std::vector<std::string>& actual, const std::vector<std::string>& expected)
{
    if (actual.size() != expected.size())
        return false;
    for (size_t k = 0; k < actual.size(); ++k) {
        const std::string& want = expected[k];
        bool prefix = !want.empty() && want.back() == '*';
        if (prefix ? actual[k].compare(0, want.size() - 1, want, 0, want.size() - 1) != 0
                   : actual[k] != want)
            return false;
    }
    return true;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += "\n  [" + line + "]";
    return text;
}

class BadInput : public testing::Test {
protected:
    void SetUp() override
    {
        for (const auto& item : fs::directory_iterator(Catalogue))
            fs::copy_file(item.path(), dir.Path() + "/" + item.path().filename().string());
        GenerateInputs(dir.Path());
    }

    // Runs every entry of one program, each in the same folder of inputs.
    void RunEntries(const std::string& program)
    {
        int count = 0;
        for (const Entry& entry : ReadCatalogue()) {
            if (entry.program != program)
                continue;
            ++count;
            SCOPED_TRACE(entry.input + " (" + entry.what + ")");
            const std::string input = dir.Path() + "/" + entry.input;
            const std::string before = fs::is_regular_file(input) ? ReadWholeFile(input) : "";
            Outcome outcome = RunEntry(entry, dir.Path());
            ASSERT_FALSE(outcome.timedOut) << "no end within " << TimeLimitSeconds << " s";
            EXPECT_EQ(outcome.status, entry.status) << outcome.out << outcome.err;
            const std::vector<std::string> expected = ExpectedLines(entry.finalLine);
            const std::vector<std::string> actual = LastLines(outcome.out, expected.size());
            EXPECT_TRUE(Matches(actual, expected))
                << "final lines:" << Joined(actual) << "\nexpected:" << Joined(expected);
            EXPECT_TRUE(IsValidUtf8(outcome.out)) << "file bytes shown as broken UTF-8";
            EXPECT_EQ(outcome.err.find("Sanitizer"), std::string::npos) << outcome.err;
            EXPECT_EQ(outcome.err.find("runtime error"), std::string::npos) << outcome.err;
            if (fs::is_regular_file(input)) {
                EXPECT_EQ(ReadWholeFile(input), before) << "the input was changed";
            }
        }
        EXPECT_GT(count, 0);
    }

    TempDir dir;
};

} // namespace

TEST(BadInputCatalogue, HoldsEveryClassOfFault)
{
    int netlists = 0, curveLists = 0;
    for (const Entry& entry : ReadCatalogue()) {
        EXPECT_TRUE(entry.program == "cli" || entry.program == "plot") << entry.input;
        EXPECT_TRUE(entry.status == 0 || entry.status == 1) << entry.input;
        EXPECT_FALSE(entry.finalLine.empty()) << entry.input;
        (entry.program == "cli" ? netlists : curveLists) += 1;
    }
    EXPECT_GE(netlists, 40);
    EXPECT_GE(curveLists, 20);
}

TEST_F(BadInput, NetlistsEndWithTheirExpectedOutcome) { RunEntries("cli"); }

TEST_F(BadInput, CurveListsEndWithTheirExpectedOutcome)
{
    if (!GuiProgramsBuilt)
        GTEST_SKIP() << "talvor-plot is not built (TALVOR_BUILD_GUI=OFF)";
    RunEntries("plot");
}
