// talvor-cli end to end: the log of whole runs, the tables it writes, its options and exit
// statuses, and the results against the worked example and hand values.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e_support.h"
#include "test_support.h"

using namespace talvor;

namespace {

using Lines = std::vector<std::string>;

const std::string DataDir = TALVOR_TEST_DATA "/cli";

TEST(CliCommandLine, WrongCommandLinesExitWithTwoAndTheUsage)
{
    TempDir dir;
    const char* cases[] = {
        "",                            // no netlist
        "a.net b.net",                 // two netlists
        "--bogus a.net",               // unknown option
        "--db=1 a.net",                // a switch given a value
        "--sweep=log,10,1,10 a.net",   // unknown mode
        "--sweep=dec,10,1 a.net",      // a field missing
        "--sweep=dec,10,1,10,5 a.net", // a field too many
        "--vdmax a.net",               // a text option without its text
        "--step=R1 a.net",             // a step without its values
        "--step=R1:1k a.net",          // no suffixes
        "--step=R1:1 --step=R2:2 a.net",
        "--step=R1:1 --monte-carlo=3 --tolerance=R:5% a.net",
        "--monte-carlo=3 a.net", // no tolerance to draw within
        "--tolerance=R:5% a.net",
        "--seed=1 a.net",
        "--distribution=gauss a.net",
        "--monte-carlo=0 --tolerance=R:5% a.net",
        "--monte-carlo=3 --tolerance=R:5% --distribution=normal a.net",
        "--check --step=R1:1 a.net",
    };
    for (const char* arguments : cases) {
        CliRun run = RunCli(arguments, dir.Path());
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_NE(run.err.find("uso: talvor-cli [OPÇÕES] NETLIST"), std::string::npos) << arguments;
    }
}

TEST(CliCommandLine, HelpListsEveryOption)
{
    TempDir dir;
    CliRun run = RunCli("--help", dir.Path());
    EXPECT_EQ(run.status, 0);
    const char* const options[] = {
        "--show-stamps", "--show-results", "--ignore-ac", "--mos-diodes", "--start-conducting",
        "--no-junction-caps", "--rad-per-s", "--db", "--radians", "--no-mos-caps", "--no-cgb",
        "--vdmax=TEXT", "--g0=TEXT", "--initial=TEXT", "--sweep=MODE,POINTS,FSTART,FEND",
        "--check", "--step=ELEMENTO:LISTA", "--monte-carlo=N", "--tolerance=ALVO:P%[,...]",
        "--distribution=uniform|gauss", "--seed=S", "--help"};
    for (const char* option : options)
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

TEST(CliRun, MissingNetlistFailsWithTheReadersLine)
{
    TempDir dir;
    CliRun run = RunCli("nofile", dir.Path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(SplitLines(run.out), (Lines{"", "Arquivo nofile.net inexistente."}));
}

TEST(CliRun, ExampleLogsTheTypicalRunLineByLine)
{
    TempDir dir;
    CopyInto(DataDir + "/exemplo.net", dir.Path());
    CliRun run = RunCli("exemplo.net", dir.Path());
    EXPECT_EQ(run.status, 0);
    ExpectSameLines(SplitLines(run.out), SplitLines(ReadWholeFile(DataDir + "/exemplo.log")),
                    "exemplo.log");
    Table table = ReadTable(dir.Path() + "/exemplo.tab");
    EXPECT_EQ(table.rows.size(), 46u);
}

TEST(CliRun, TableLandsNextToTheNetlist)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() + "/sub.v2");
    CopyInto(DataDir + "/exemplo.net", dir.Path() + "/sub.v2");
    CliRun run = RunCli("sub.v2/exemplo", dir.Path());
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(ContainsInOrder(SplitLines(run.out),
                                {"Lendo netlist sub.v2/exemplo.net:", "Gerando tabela...",
                                 "Tabela escrita no arquivo sub.v2/exemplo.tab com 46 pontos."}))
        << run.out;
    EXPECT_EQ(ReadTable(dir.Path() + "/sub.v2/exemplo.tab").rows.size(), 46u);
}

TEST(CliRun, WorkedExampleGivesTheKnownRows)
{
    TempDir dir;
    CopyInto(DataDir + "/rc.net", dir.Path());
    CliRun run = RunCli("rc", dir.Path());
    EXPECT_EQ(run.status, 0);
    Lines log = SplitLines(run.out);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3], "Gerando tabela...");
    EXPECT_EQ(log[log.size() - 2], "Tabela escrita no arquivo rc.tab com 5 pontos.");
    EXPECT_EQ(log.back(), "Análise terminada com sucesso.");

    Lines table = SplitLines(ReadWholeFile(dir.Path() + "/rc.tab"));
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(table[0], "f 1m 1f 2m 2f jV1m jV1f ");
    Lines frequencies;
    for (size_t k = 1; k < table.size(); ++k)
        frequencies.push_back(table[k].substr(0, table[k].find(' ')));
    EXPECT_EQ(frequencies, (Lines{"10", "31.6228", "100", "316.228", "1000"}));
    // At 100 Hz: node 2 and the source current (counted from node 1 into the source).
    Lines at100 = SplitFields(table[3]);
    ASSERT_EQ(at100.size(), 7u);
    EXPECT_EQ(Lines(at100.begin() + 3, at100.end()),
              (Lines{"0.846733", "-32.1419", "0.000532018", "-122.142"}));
    EXPECT_EQ(at100[1], "1");
}

TEST(CliRun, UnitsOfTheTable)
{
    // At ω = 1000 rad/s the RC of 1 ms puts node 2 at 1/√2 and −45 degrees (−π/4), −3.0103 dB;
    // node 3 hangs on a resistor alone, so it is exactly zero: phase 0, −1000 dB. At 1000 Hz
    // ωRC is 2π.
    TempDir dir;
    dir.Write("units.net", "Unidades\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\nR2 3 0 1\n"
                           ".AC LIN 2 1000 2000\n");
    struct Case {
        const char* options;
        Lines values; // f, 2m, 2f, 3m, 3f, jV1m, jV1f in the first row
    };
    const Case cases[] = {
        {"--rad-per-s", {"1000", "0.707107", "-45", "0", "0", "0.000707107", "-135"}},
        {"--rad-per-s --radians",
         {"1000", "0.707107", "-0.785398", "0", "0", "0.000707107", "-2.35619"}},
        {"--rad-per-s --db", {"1000", "-3.0103", "-45", "-1000", "0", "-63.0103", "-135"}},
        {"", {"1000", "0.157177", "-80.9569", "0", "0", "0.00098757", "-170.957"}},
        {"--db --radians", {"1000", "-16.0722", "-1.41297", "-1000", "0", "-60.1086", "-2.98376"}},
    };
    for (const Case& c : cases) {
        CliRun run = RunCli(std::string(c.options) + " units", dir.Path());
        EXPECT_EQ(run.status, 0) << c.options;
        Table table = ReadTable(dir.Path() + "/units.tab");
        ASSERT_EQ(table.rows.size(), 2u) << c.options;
        EXPECT_EQ(table.names, (Lines{"f", "1m", "1f", "2m", "2f", "3m", "3f", "jV1m", "jV1f"}));
        Lines values;
        for (const char* name : {"f", "2m", "2f", "3m", "3f", "jV1m", "jV1f"})
            values.push_back(table.rows[0][table.Find(name)]);
        EXPECT_EQ(values, c.values) << c.options;
    }
}

TEST(CliRun, SweepFromTheOptionsAfterTheSameLinesAsAplicar)
{
    TempDir dir;
    dir.Write("semac.net", "Sem linha AC\nV1 1 0 1\nR1 1 0 1000\n");
    dir.Write("comac.net", "Com linha AC\nV1 1 0 1\nR1 1 0 1000\n.AC DEC 3 10 1000\n");
    struct Case {
        const char* arguments;
        const char* parameters; // the driver's line after "Parâmetros de análise dados."
        Lines frequencies;
    };
    const Case cases[] = {
        {"--sweep=dec,10,1,10 semac",
         "F inicial: 1; F final: 10; Pontos: 10; Modo: 1.",
         {"1", "1.29155", "1.6681", "2.15443", "2.78256", "3.59381", "4.64159", "5.99484",
          "7.74264", "10"}},
        {"--sweep=lin,5,0,100 semac",
         "F inicial: 0; F final: 100; Pontos: 5; Modo: 0.",
         {"0", "25", "50", "75", "100"}},
        {"--sweep=oct,5,0,100 semac",
         "F inicial: 0; F final: 100; Pontos: 5; Modo: 2.",
         {"0", "25", "50", "75", "100"}},
        {"--sweep=oct,3,1,4 --ignore-ac comac",
         "F inicial: 1; F final: 4; Pontos: 3; Modo: 2.",
         {"1", "1.41421", "2", "2.82843", "4"}},
        // The fields are texts converted as the dialog's are: "1e3" points reads as 1.
        {"--sweep=lin,1e3,abc,10 semac", "F inicial: 0; F final: 10; Pontos: 1; Modo: 0.", {"0"}},
    };
    for (const Case& c : cases) {
        CliRun run = RunCli(c.arguments, dir.Path());
        EXPECT_EQ(run.status, 0) << c.arguments;
        Lines log = SplitLines(run.out);
        EXPECT_TRUE(
            ContainsInOrder(log, {"Linha de comando não encontrada ou ignorada.",
                                  "Parâmetros de análise dados.", c.parameters, "Calculando..."}))
            << c.arguments << "\n"
            << run.out;
        std::string name = std::string(c.arguments).substr(std::string(c.arguments).rfind(' ') + 1);
        EXPECT_EQ(ReadTable(dir.Path() + "/" + name + ".tab").Column(0), c.frequencies)
            << c.arguments;
    }
}

TEST(CliRun, DialogDefaultsWithoutSweepOption)
{
    TempDir dir;
    dir.Write("semac.net", "Sem linha AC\nV1 1 0 1\nR1 1 0 1000\n");
    CliRun run = RunCli("semac", dir.Path());
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(ContainsInOrder(SplitLines(run.out),
                                {"F inicial: 1; F final: 10000; Pontos: 1000; Modo: 0.",
                                 "Tabela escrita no arquivo semac.tab com 1000 pontos."}));
}

TEST(CliRun, RefusedSweepsFailWithoutATable)
{
    TempDir dir;
    dir.Write("c.net", "Circuito\nV1 1 0 1\nR1 1 0 1000\n");
    struct Case {
        const char* sweep;
        const char* line;
    };
    const Case cases[] = {
        {"lin,0,1,10", "Número de pontos inválido na varredura: 0. Tabela não gerada."},
        {"dec,-3,1,10", "Número de pontos inválido na varredura: -3. Tabela não gerada."},
        {"dec,10,-1,10", "Frequência inicial negativa (-1) em escala logarítmica. "
                         "Tabela não gerada."},
        {"lin,10,1,1e999", "Frequências inválidas na varredura: 1 a inf. Tabela não gerada."},
    };
    for (const Case& c : cases) {
        CliRun run = RunCli(std::string("--sweep=") + c.sweep + " c", dir.Path());
        EXPECT_EQ(run.status, 1) << c.sweep;
        Lines log = SplitLines(run.out);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.back(), c.line);
        EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/c.tab")) << c.sweep;
    }
}

TEST(CliRun, ReducedSweepsWriteOneRowAtTheStart)
{
    TempDir dir;
    dir.Write("c.net", "Circuito\nV1 1 0 1\nR1 1 0 1000\n");
    struct Case {
        const char* sweep;
        const char* line;
    };
    const Case cases[] = {
        {"lin,1,5,100", "Varredura de um só ponto, em 5."},
        {"dec,1,5,100", "Varredura de um só ponto, em 5."},
        {"lin,10,100,10",
         "Frequência final não supera a inicial: varredura de um só ponto, em 100."},
        {"lin,10,7,7", "Frequência final não supera a inicial: varredura de um só ponto, em 7."},
    };
    for (const Case& c : cases) {
        CliRun run = RunCli(std::string("--sweep=") + c.sweep + " c", dir.Path());
        EXPECT_EQ(run.status, 0) << c.sweep;
        EXPECT_TRUE(
            ContainsInOrder(SplitLines(run.out), {c.line, "Gerando tabela...",
                                                  "Tabela escrita no arquivo c.tab com 1 pontos."}))
            << run.out;
        EXPECT_EQ(ReadTable(dir.Path() + "/c.tab").rows.size(), 1u);
    }
}

TEST(CliRun, TableThatCannotBeCreatedFailsTheRun)
{
    TempDir dir;
    dir.Write("c.net", "Circuito\nV1 1 0 1\nR1 1 0 1000\n.AC LIN 3 1 3\n");
    std::filesystem::create_directory(dir.Path() + "/c.tab"); // a folder stands in the way
    CliRun run = RunCli("c", dir.Path());
    EXPECT_EQ(run.status, 1);
    Lines log = SplitLines(run.out);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Gerando tabela...");
    EXPECT_EQ(log.back(), "Não foi possível criar o arquivo c.tab.");
}

TEST(CliRun, TableThatCannotBeWrittenFailsTheRun)
{
    // The table's name leads to a device that is always full: every write fails.
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    TempDir dir;
    dir.Write("c.net", "Circuito\nV1 1 0 1\nR1 1 0 1000\n.AC LIN 1000 1 1000\n");
    std::filesystem::create_symlink("/dev/full", dir.Path() + "/c.tab");
    CliRun run = RunCli("c", dir.Path());
    EXPECT_EQ(run.status, 1);
    Lines log = SplitLines(run.out);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Gerando tabela...");
    EXPECT_EQ(log.back(), "Erro ao escrever o arquivo c.tab.");
}

TEST(CliRun, SolverFailureKeepsTheRowsBeforeIt)
{
    // Node 2 hangs between two capacitors: at f = 0 its column is all zero. The linear sweep
    // from −100 to 100 in steps of 1 reaches 0 exactly at its 101st point.
    TempDir dir;
    dir.Write("c.net", "Capacitores\nV1 1 0 1\nC1 1 2 1e-6\nC2 2 0 1e-6\n.AC LIN 201 -100 100\n");
    CliRun run = RunCli("c", dir.Path());
    EXPECT_EQ(run.status, 1);
    // The run's own lines end it, then the diagnosis names the node.
    Lines log = SplitLines(run.out);
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(Lines(log.end() - 5, log.end()),
              (Lines{"Gerando tabela...", "Possível sistema singular. Pivot=0.",
                     "Cálculo interrompido.", "O nó 2 não tem caminho para a terra em f=0.",
                     "Liga-se ao resto do circuito só por C1 (capacitor, aberto em f=0) e C2 "
                     "(capacitor, aberto em f=0)."}));
    Table table = ReadTable(dir.Path() + "/c.tab");
    ASSERT_EQ(table.rows.size(), 100u);
    EXPECT_EQ(table.Column(0).back(), "-1");
    // Two equal capacitors halve the source at every frequency but zero.
    EXPECT_EQ(table.Column(3).front(), "0.5");
}

TEST(CliRun, ExitStatusOneWhenTheOperatingPointFails)
{
    // A capacitor alone on a node with g0 = 0: zero pivot at the operating point.
    TempDir dir;
    dir.Write("c.net", "Sem caminho DC\nI1 0 1 1\nC1 1 0 1e-6\n.AC LIN 3 1 3\n");
    CliRun run = RunCli("--g0=0 c", dir.Path());
    EXPECT_EQ(run.status, 1);
    Lines log = SplitLines(run.out);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(Lines(log.end() - 3, log.end()),
              (Lines{"Análise de resposta em frequência não realizada.",
                     "O nó 1 não tem caminho DC para a terra.",
                     "Liga-se ao resto do circuito só por I1 (fonte de corrente) e C1 (capacitor, "
                     "aberto em DC com a condutância do P. O. (Eg0, --g0) igual a 0)."}));
}

} // namespace

TEST(CliRun, ThreadsLeaveLogAndTableByteForByte)
{
    // Long sweeps with traces at their first points, a warning at most points, a diode's
    // small-signal values, and a failure in the middle of a batch (at the 1001st point): one
    // thread and several must write the same bytes. Every sweep is long enough to start the
    // threads (5 traced points, then at least 64).
    struct Case {
        const char* netlist;
        const char* options;
        int status;
    };
    const Case cases[] = {
        {"pivots", "--show-results", 0},
        {"diode_stage", "--show-stamps --show-results --db", 0},
        {"exemplo", "--radians --rad-per-s --ignore-ac --sweep=dec,30,1,100000", 0},
        {"fail_midway", "", 1},
        {"ladder", "--db", 0},
    };
    for (const Case& c : cases) {
        std::string outputs[2];
        std::string tables[2];
        for (int k = 0; k < 2; ++k) {
            TempDir dir;
            CopyInto(DataDir + "/" + c.netlist + ".net", dir.Path());
            CliRun run = RunCli(std::string(c.options) + " " + c.netlist, dir.Path(),
                                k == 0 ? "TALVOR_THREADS=1" : "TALVOR_THREADS=3");
            EXPECT_EQ(run.status, c.status) << c.netlist;
            outputs[k] = run.out;
            tables[k] = ReadWholeFile(dir.Path() + "/" + c.netlist + ".tab");
        }
        EXPECT_GE(SplitLines(tables[0]).size(), 1u + 5 + 64) << c.netlist;
        ExpectSameLines(SplitLines(outputs[1]), SplitLines(outputs[0]), c.netlist);
        EXPECT_TRUE(tables[0] == tables[1]) << c.netlist;
    }
}

namespace {

// A diode fed 0.12 A: 0.81 V, above the default Vdmax of 0.7 V, where the line and the
// exponential give different voltages; AC in through a second source.
const char* const DiodeAt120mA =
    "Diodo a 120 mA\nI1 0 1 DC 0.12\nI2 0 1 1\nD1 1 0\nR1 1 0 1000\n.AC DEC 3 10 1000\n";

} // namespace

TEST(CliRun, OperatingPointOptionsReadADecimalComma)
{
    struct Case {
        const char* withComma;
        const char* withPoint;
        const char* asReadBefore; // up to the comma, which ended the number
    };
    const Case cases[] = {
        {"--vdmax=0,8", "--vdmax=0.8", "--vdmax=0"},
        {"--g0=1,5e-3", "--g0=1.5e-3", "--g0=1"},
        {"--initial=0,75", "--initial=0.75", "--initial=0"},
    };
    TempDir dir;
    dir.Write("d.net", DiodeAt120mA);
    auto run = [&](const char* option, std::string& table) {
        const CliRun result = RunCli(std::string(option) + " d", dir.Path());
        EXPECT_EQ(result.status, 0) << option << "\n" << result.out;
        table = ReadWholeFile(dir.Path() + "/d.tab");
        return SplitLines(result.out);
    };
    for (const Case& c : cases) {
        std::string commaTable, pointTable, beforeTable;
        const Lines comma = run(c.withComma, commaTable);
        ExpectSameLines(comma, run(c.withPoint, pointTable), c.withComma);
        EXPECT_TRUE(commaTable == pointTable) << c.withComma;
        EXPECT_NE(comma, run(c.asReadBefore, beforeTable)) << c.withComma;
    }
}

TEST(CliRun, OptionsThatAreNotOneNumberAreNamedWithTheValueUsed)
{
    struct Case {
        const char* options;
        const char* line;
    };
    const Case cases[] = {
        {"--g0=1e-9S", "Condutância colocada no lugar de capacitâncias no cálculo do P. O. (--g0): "
                       "\"1e-9S\" tem texto depois do número; usado 1e-09."},
        {"--vdmax=", "Máxima tensão para função exponencial em diodos (--vdmax): \"\" não é um "
                     "número; usado 0."},
        {"--initial=zero", "Aproximação inicial para as tensões e correntes (--initial): \"zero\" "
                           "não é um número; usado 0."},
    };
    TempDir dir;
    dir.Write("d.net", DiodeAt120mA);
    for (const Case& c : cases) {
        const CliRun run = RunCli(std::string(c.options) + " d", dir.Path());
        EXPECT_TRUE(ContainsInOrder(SplitLines(run.out), {"Calculando...", c.line}))
            << c.options << "\n"
            << run.out;
    }
}

namespace {

// Starts talvor-cli in dir (its output in dir/talvor-cli.out) and returns its process.
pid_t StartCli(const std::string& arguments, const std::string& dir)
{
    const std::string command = "cd '" + dir + "' && " + FileSizeCap +
                                "exec '" TALVOR_BINARY_DIR "/app/talvor-cli' " + arguments +
                                " >talvor-cli.out 2>talvor-cli.err";
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

} // namespace

// SIGINT and SIGTERM stop a sweep of a million points as "Parar análise" does: soon, with the
// rows written kept and counted, and exit status 1.
TEST(CliRun, ASignalStopsTheSweepAndKeepsTheRows)
{
    for (int signal : {SIGINT, SIGTERM}) {
        TempDir dir;
        dir.Write("escada.net",
                  "Escada RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\nR2 2 3 1000\nC2 3 0 1e-6\n"
                  "R3 3 4 1000\nC3 4 0 1e-6\nR4 4 5 1000\nC4 5 0 1e-6\nR5 5 6 1000\nC5 6 0 1e-6\n"
                  ".AC LIN 1000000 1 1e6\n");
        const std::string table = dir.Path() + "/escada.tab";
        const pid_t pid = StartCli("escada", dir.Path());
        ASSERT_GT(pid, 0);
        // Once the sweep is under way.
        const auto start = std::chrono::steady_clock::now();
        auto tableSize = [&] {
            std::error_code error;
            const auto size = std::filesystem::file_size(table, error);
            return error ? 0 : size;
        };
        while (tableSize() < 65536 &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const auto signalled = std::chrono::steady_clock::now();
        kill(pid, signal);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        const auto ended = std::chrono::steady_clock::now();
        EXPECT_LT(ended - signalled, std::chrono::seconds(1)) << signal;
        ASSERT_TRUE(WIFEXITED(status)) << signal;
        EXPECT_EQ(WEXITSTATUS(status), 1);

        const Lines rows = SplitLines(ReadWholeFile(table));
        ASSERT_GE(rows.size(), 2u);
        EXPECT_LT(rows.size(), 1000001u);
        for (size_t k = 1; k < rows.size(); ++k)
            ASSERT_EQ(SplitFields(rows[k]).size(), 15u) << k; // every row whole
        const Lines log = SplitLines(ReadWholeFile(dir.Path() + "/talvor-cli.out"));
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(Lines(log.end() - 3, log.end()),
                  (Lines{"Cálculo interrompido.",
                         "Parada pedida pelo usuário: o arquivo escada.tab ficou com os " +
                             std::to_string(rows.size() - 1) + " pontos já calculados.",
                         "Análise de resposta em frequência não realizada."}))
            << signal;
    }
}
