// talvor-cli --step and --monte-carlo end to end: the corners of a stepped RC low-pass against
// 1/(2 pi R C), a Monte Carlo of a divider that repeats itself with its seed and stays within its
// tolerance, a failing step, and the summary of the measurements drawn by the plotter.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

constexpr double Pi = 3.141592653589793;

TEST(CliSteps, TheCornerOfAnRcLowPassFollowsEachResistance)
{
    TempDir dir;
    dir.Write("rc.net", "RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n.AC DEC 100 1 100000\n");
    const CliRun run = RunCli("--step=R1:1000,2000,4000 --measure=2 rc.net", dir.Path());
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    for (const char* table : {"rc_1.tab", "rc_2.tab", "rc_3.tab"})
        EXPECT_EQ(ReadTable(dir.Path() + "/" + table).rows.size(), 496u) << table;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/rc.tab"));

    const Table summary = ReadTable(dir.Path() + "/rc_medidas.tab");
    ASSERT_EQ(summary.rows.size(), 3u);
    const int r = summary.Find("R1"), corner = summary.Find("meia_pot_acima");
    ASSERT_GT(corner, 0);
    const double expected[] = {159.155, 79.577, 39.789}; // 1/(2 pi R C), R = 1, 2 and 4 kOhm
    for (size_t k = 0; k < 3; ++k) {
        EXPECT_DOUBLE_EQ(std::stod(summary.rows[k][r]), 1000.0 * (1 << k));
        EXPECT_NEAR(std::stod(summary.rows[k][corner]) / expected[k], 1, 1e-3);
        EXPECT_NEAR(expected[k] * 2 * Pi * 1000 * (1 << k) * 1e-6, 1, 1e-5);
    }
    const std::vector<std::string> lines = SplitLines(run.out);
    EXPECT_TRUE(ContainsInOrder(
        lines,
        {"Passos de R1: 3 valores.", "Passo 1 de 3: R1 = 1000", "Análise terminada com sucesso.",
         "Medidas de 2 na tabela rc_1.tab:", "Passo 2 de 3: R1 = 2000", "Passo 3 de 3: R1 = 4000",
         "Lista dos passos no arquivo "
         "rc_passos.txt.",
         "Medidas de cada passo no arquivo rc_medidas.tab:",
         "3 de 3 passos terminados com sucesso."}))
        << run.out;
}

TEST(CliSteps, AFailingStepFailsTheRunAndTheOthersGoOn)
{
    TempDir dir;
    dir.Write("rc.net", "RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n.AC DEC 10 1 1000\n");
    const CliRun run = RunCli("--step=R1:lin:0:2000:3 rc.net", dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(ContainsInOrder(SplitLines(run.out),
                                {"Passo 1 de 3: R1 = 0", "Passo 1 falhou.",
                                 "Passo 2 de 3: R1 = 1000", "Análise terminada com sucesso.",
                                 "Passo 3 de 3: R1 = 2000", "Análise terminada com sucesso.",
                                 "2 de 3 passos terminados com sucesso."}))
        << run.out;
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/rc_passos.txt"),
              "passo R1 resultado tabela\n1 0 falhou -\n2 1000 ok rc_2.tab\n3 2000 ok rc_3.tab\n");
}

TEST(CliSteps, AnElementNotInTheNetlistFailsBeforeAnyRun)
{
    TempDir dir;
    dir.Write("rc.net", "RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n.AC DEC 10 1 1000\n");
    const CliRun run = RunCli("--step=Q1.VA:10,20 rc.net", dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(SplitLines(run.out),
              (std::vector<std::string>{"", "Elemento Q1 não encontrado no netlist."}));
}

// Every run's divider ratio against the worst case of two resistors within 5%.
TEST(CliSteps, AMonteCarloRepeatsItselfWithItsSeedAndStaysWithinTheTolerance)
{
    TempDir dir;
    dir.Write("div.net", "Divisor\nV1 1 0 1\nR1 1 2 1000\nR2 2 0 1000\n.AC LIN 2 1 10\n");
    const std::string arguments = "--monte-carlo=50 --tolerance=R:5% --seed=1 div.net";
    const CliRun first = RunCli(arguments, dir.Path());
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    const std::string envelope = ReadWholeFile(dir.Path() + "/div_envelope.tab");
    const std::string list = ReadWholeFile(dir.Path() + "/div_passos.txt");
    const CliRun second = RunCli(arguments, dir.Path(), "TALVOR_THREADS=1");
    ASSERT_EQ(second.status, 0);
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/div_envelope.tab"), envelope);
    EXPECT_EQ(ReadWholeFile(dir.Path() + "/div_passos.txt"), list);
    EXPECT_EQ(second.out, first.out);
    EXPECT_TRUE(HasLine(SplitLines(first.out),
                        "Monte Carlo: 50 execuções, distribuição uniforme, semente 1."));

    const double lowest = 0.95 / (1.05 + 0.95), highest = 1.05 / (0.95 + 1.05);
    const Table runs = ReadTable(dir.Path() + "/div_passos.txt");
    ASSERT_EQ(runs.rows.size(), 50u);
    for (const std::vector<std::string>& row : runs.rows) {
        for (int k : {1, 2})
            EXPECT_LE(std::abs(std::stod(row[k]) / 1000 - 1), 0.05) << row[0];
        EXPECT_EQ(row[3], "ok");
        const Table table = ReadTable(dir.Path() + "/" + row[4]);
        const double ratio = std::stod(table.rows[0][table.Find("2m")]);
        EXPECT_NEAR(ratio, std::stod(row[2]) / (std::stod(row[1]) + std::stod(row[2])), 1e-5);
        EXPECT_GE(ratio, lowest);
        EXPECT_LE(ratio, highest);
    }
    const Table bounds = ReadTable(dir.Path() + "/div_envelope.tab");
    ASSERT_EQ(bounds.rows.size(), 2u);
    EXPECT_GE(std::stod(bounds.rows[0][bounds.Find("min2m")]), lowest);
    EXPECT_LE(std::stod(bounds.rows[0][bounds.Find("max2m")]), highest);

    // Another seed draws other values.
    ASSERT_EQ(RunCli("--monte-carlo=50 --tolerance=R:5% --seed=2 div.net", dir.Path()).status, 0);
    EXPECT_NE(ReadWholeFile(dir.Path() + "/div_envelope.tab"), envelope);
}

TEST(CliSteps, TheSummaryOfTheMeasurementsIsDrawnByThePlotter)
{
    if (!GuiProgramsBuilt)
        GTEST_SKIP() << "talvor-plot is not built (TALVOR_BUILD_GUI=OFF)";
    TempDir dir;
    dir.Write("rc.net", "RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n.AC DEC 20 1 100000\n");
    ASSERT_EQ(RunCli("--step=R1:dec:100:10000:5 --measure=2 rc.net", dir.Path()).status, 0);
    dir.Write("curvas.txt", "rc_medidas.tab R1 meia_pot_acima\n");
    const CliRun plot =
        RunProgram("talvor-plot", "--scale=log-log curvas.txt -o medidas.png", dir.Path());
    EXPECT_EQ(plot.status, 0) << plot.out << plot.err;
    EXPECT_NE(plot.out.find("A tabela 1, rc_medidas.tab, tem 9 linhas e está nas colunas 2 e 8."),
              std::string::npos)
        << plot.out;
    EXPECT_TRUE(std::filesystem::exists(dir.Path() + "/medidas.png"));
}

// SIGINT stops the runs under way, their tables keeping the rows written, and the runs not yet
// started do not start; the list says so and the exit status is 1.
TEST(CliSteps, ASignalStopsTheRunsUnderWayAndTheRest)
{
    TempDir dir;
    dir.Write("escada.net", "Escada RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\nR2 2 3 1000\n"
                            "C2 3 0 1e-6\n.AC LIN 1000000 1 1e6\n");
    const std::string command = "cd '" + dir.Path() + "' && " + FileSizeCap +
                                "TALVOR_THREADS=2 exec '" TALVOR_BINARY_DIR
                                "/app/talvor-cli' --step=R1:1000,2000,3000,4000,5000 escada "
                                ">talvor-cli.out 2>talvor-cli.err";
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    const auto start = std::chrono::steady_clock::now();
    auto firstTableSize = [&] {
        std::error_code error;
        const auto size = std::filesystem::file_size(dir.Path() + "/escada_1.tab", error);
        return error ? 0 : size;
    };
    while (firstTableSize() < 65536 &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto signalled = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    // A bound that only a run going on to its end (or a hang) passes, however loaded the machine.
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(10));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);

    const std::vector<std::string> log = SplitLines(ReadWholeFile(dir.Path() + "/talvor-cli.out"));
    EXPECT_TRUE(ContainsInOrder(log, {"Passo 1 de 5: R1 = 1000", "Cálculo interrompido.",
                                      "Passo 1 interrompido.",
                                      "Passo 5 de 5 não realizado: análise interrompida.",
                                      "0 de 5 passos terminados com sucesso."}))
        << ReadWholeFile(dir.Path() + "/talvor-cli.out");
    const Table runs = ReadTable(dir.Path() + "/escada_passos.txt");
    ASSERT_EQ(runs.rows.size(), 5u);
    for (const std::vector<std::string>& row : runs.rows)
        EXPECT_EQ(row[2], "interrompido") << row[0];
    EXPECT_EQ(runs.rows[4][3], "-");
    const Table first = ReadTable(dir.Path() + "/escada_1.tab");
    EXPECT_GT(first.rows.size(), 100u); // the rows written before the stop
    EXPECT_LT(first.rows.size(), 1000000u);
}

} // namespace
