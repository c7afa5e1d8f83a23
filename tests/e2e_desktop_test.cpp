// talvor end to end: the command line of the desktop program, on the offscreen platform and on
// a virtual X server.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

constexpr int TimedOut = 124; // the status timeout(1) gives a program it had to end

// Runs talvor with arguments in dir, ended after seconds; its exit status, or TimedOut.
int RunDesktop(const std::string& arguments, const std::string& dir, int seconds,
               const std::string& launcher = "")
{
    const std::string command = "cd '" + dir + "' && " + FileSizeCap + launcher + " timeout " +
                                std::to_string(seconds) + " '" TALVOR_BINARY_DIR "/app/talvor' " +
                                arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The desktop program writes the same table as talvor-cli for the same netlist.
void ExpectExampleTable(const std::string& path)
{
    TempDir cliDir;
    CopyInto(TALVOR_EXAMPLES "/exemplo.net", cliDir.Path());
    ASSERT_EQ(RunCli("exemplo.net", cliDir.Path()).status, 0);
    const std::string expected = ReadWholeFile(cliDir.Path() + "/exemplo.tab");
    EXPECT_EQ(ReadTable(path).names,
              (std::vector<std::string>{"f", "1m", "1f", "2m", "2f", "jV1m", "jV1f"}));
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(ReadWholeFile(path), expected);
}

class DesktopCommandLine : public testing::Test {
protected:
    void SetUp() override
    {
        if (!GuiProgramsBuilt)
            GTEST_SKIP() << "talvor is not built (TALVOR_BUILD_GUI=OFF)";
    }
};

} // namespace

TEST_F(DesktopCommandLine, ExampleWithTRunsWritesTheTableAndEnds)
{
    TempDir dir;
    CopyInto(TALVOR_EXAMPLES "/exemplo.net", dir.Path());
    EXPECT_EQ(RunDesktop("exemplo.net t", dir.Path(), 60), 0);
    ExpectExampleTable(dir.Path() + "/exemplo.tab");
}

TEST_F(DesktopCommandLine, ExampleWithTOnAVirtualXServer)
{
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run is not installed";
    TempDir dir;
    CopyInto(TALVOR_EXAMPLES "/exemplo.net", dir.Path());
    EXPECT_EQ(RunDesktop("exemplo t", dir.Path(), 60, "env -u QT_QPA_PLATFORM xvfb-run -a"), 0);
    ExpectExampleTable(dir.Path() + "/exemplo.tab");
}

TEST_F(DesktopCommandLine, OnlyALowerCaseTEndsTheProgram)
{
    TempDir dir;
    EXPECT_EQ(RunDesktop("nofile t", dir.Path(), 60), 0);
    EXPECT_EQ(RunDesktop("nofile t mais argumentos", dir.Path(), 60), 0);
    EXPECT_EQ(RunDesktop("circ T", dir.Path(), 3), TimedOut);
    EXPECT_EQ(RunDesktop("circ", dir.Path(), 3), TimedOut);
}

// A SPICE deck on the command line is converted beside itself and its netlist analysed: the
// table is the one talvor-cli writes from talvor-spice's netlist.
TEST_F(DesktopCommandLine, ADeckWithTIsConvertedAnalysedAndEnds)
{
    TempDir dir, cliDir;
    CopyInto(TALVOR_EXAMPLES "/emissor_comum.cir", dir.Path());
    CopyInto(TALVOR_EXAMPLES "/emissor_comum.cir", cliDir.Path());
    EXPECT_EQ(RunDesktop("emissor_comum.cir t", dir.Path(), 60), 0);
    ASSERT_EQ(RunProgram("talvor-spice", "emissor_comum.cir", cliDir.Path()).status, 0);
    ASSERT_EQ(RunCli("emissor_comum.net", cliDir.Path()).status, 0);
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/emissor_comum.net"),
              ReadWholeFile(cliDir.Path() + "/emissor_comum.net"));
    const std::string table = ReadWholeFile(dir.Path() + "/emissor_comum.tab");
    EXPECT_EQ(SplitLines(table).size(), 72u); // the header and 10 points a decade, 10 Hz to 100 MHz
    EXPECT_EQ(table, ReadWholeFile(cliDir.Path() + "/emissor_comum.tab"));
}
