// Stepped and Monte Carlo analyses through the core: each run's log is an ordinary run's, the
// corners of an RC low-pass follow 1/(2 pi R C), a failing step leaves the others, the result
// does not depend on the number of threads, and a stop keeps later runs from starting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/run_analysis.h"
#include "common/message_log.h"
#include "steps/stepped_analysis.h"
#include "test_support.h"

using namespace talvor;

namespace {

constexpr double Pi = 3.141592653589793;

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; in >> field;)
        fields.push_back(field);
    return fields;
}

// Whether lines hold the wanted ones in this order, others between them allowed.
bool ContainsLines(const std::vector<std::string>& lines, const std::vector<std::string>& wanted)
{
    size_t next = 0;
    for (const std::string& line : lines)
        next += next < wanted.size() && line == wanted[next] ? 1 : 0;
    return next == wanted.size();
}

std::string RcNetlist(const std::string& r1)
{
    return "RC\nV1 1 0 1\nR1 1 2 " + r1 + "\nC1 2 0 1e-6\n.AC DEC 100 1 100000\n";
}

// TALVOR_THREADS for the scope.
class ThreadLimit {
public:
    explicit ThreadLimit(const char* count) { setenv("TALVOR_THREADS", count, 1); }
    ~ThreadLimit() { unsetenv("TALVOR_THREADS"); }
};

class SteppedRunTest : public ::testing::Test {
protected:
    SteppedOutcome Run(const StepRequest& request, const std::string& netlist,
                       std::vector<std::string> measure = {}, StepObserver* observer = nullptr)
    {
        const std::string path = dir.Write("rc.net", netlist);
        StepJob job{path, AnalysisSettings{}, {}, std::move(measure)};
        sink.lines.clear();
        StepObserver quiet;
        return RunSteppedAnalysis(request, job, log, observer ? *observer : quiet);
    }

    static StepRequest Steps(std::vector<double> values)
    {
        StepRequest request;
        request.target = {"R1", ""};
        request.values = std::move(values);
        return request;
    }

    // The lines of run k (from 1) between its naming line and the next run's blank line.
    std::vector<std::string> RunLines(int k) const
    {
        const std::string start = "Passo " + std::to_string(k) + " de ";
        std::vector<std::string> lines;
        bool inside = false;
        for (size_t n = 0; n < sink.lines.size(); ++n) {
            if (inside && n + 1 < sink.lines.size() && sink.lines[n].empty() &&
                (sink.lines[n + 1].rfind("Passo ", 0) == 0 ||
                 sink.lines[n + 1].rfind("Lista", 0) == 0))
                break;
            if (inside)
                lines.push_back(sink.lines[n]);
            inside = inside || sink.lines[n].rfind(start, 0) == 0;
        }
        return lines;
    }

    TempDir dir;
    RecordingSink sink;
    MessageLog log{sink};
};

TEST_F(SteppedRunTest, EachStepLogsAsAnOrdinaryRunOfItsValue)
{
    const SteppedOutcome outcome = Run(Steps({1000, 2200}), RcNetlist("1000"));
    ASSERT_TRUE(outcome.allSucceeded) << JoinLines(sink.lines);
    EXPECT_EQ(
        std::vector(sink.lines.begin(), sink.lines.begin() + 4),
        (std::vector<std::string>{"", "Passos de R1: 2 valores.", "", "Passo 1 de 2: R1 = 1000"}));
    for (int k = 1; k <= 2; ++k) {
        // The same netlist with the step's value typed in, run as an ordinary run.
        TempDir own;
        RecordingSink ordinarySink;
        MessageLog ordinaryLog(ordinarySink);
        HeadlessHost host;
        auto analysis = std::make_unique<Analysis>(ordinaryLog, host);
        const std::string ownPath = own.Write("rc.net", RcNetlist(k == 1 ? "1000" : "2200"));
        RunAnalysis(*analysis, ownPath);
        std::vector<std::string> expected = ordinarySink.lines;
        for (std::string& line : expected) {
            if (line.rfind("Lendo netlist ", 0) == 0)
                line = "Lendo netlist " + dir.Path() + "/rc.net:";
            if (line.rfind("Tabela escrita no arquivo ", 0) == 0)
                line = "Tabela escrita no arquivo " + dir.Path() + "/rc_" + std::to_string(k) +
                       ".tab com 496 pontos.";
        }
        EXPECT_EQ(RunLines(k), expected) << k;
        EXPECT_EQ(ReadWholeFile(dir.Path() + "/rc_" + std::to_string(k) + ".tab"),
                  ReadWholeFile(own.Path() + "/rc.tab"));
    }
    EXPECT_EQ(ReadWholeFile(outcome.listPath),
              "passo R1 resultado tabela\n1 1000 ok rc_1.tab\n2 2200 ok rc_2.tab\n");
    EXPECT_EQ(sink.lines.back(), "2 de 2 passos terminados com sucesso.");
    EXPECT_TRUE(outcome.envelopePath.empty());
    EXPECT_TRUE(outcome.summaryPath.empty());
}

TEST_F(SteppedRunTest, TheCornerOfAnRcLowPassFollowsEachStep)
{
    const std::vector<double> resistances{500, 1000, 2000, 4000};
    const SteppedOutcome outcome = Run(Steps(resistances), RcNetlist("1000"), {"2"});
    ASSERT_TRUE(outcome.allSucceeded) << JoinLines(sink.lines);
    const std::vector<std::string> summary = SplitLines(ReadWholeFile(outcome.summaryPath));
    ASSERT_EQ(summary.size(), 5u);
    const std::vector<std::string> header = SplitFields(summary[0]);
    EXPECT_EQ(header[0], "passo");
    EXPECT_EQ(header[1], "R1");
    const auto column = std::find(header.begin(), header.end(), "meia_pot_acima") - header.begin();
    for (size_t k = 0; k < resistances.size(); ++k) {
        const std::vector<std::string> row = SplitFields(summary[k + 1]);
        ASSERT_EQ(row.size(), header.size());
        EXPECT_EQ(std::stod(row[1]), resistances[k]);
        const double corner = 1 / (2 * Pi * resistances[k] * 1e-6);
        EXPECT_NEAR(std::stod(row[column]) / corner, 1, 1e-3) << row[column];
        EXPECT_EQ(row[column - 1], "-"); // no half-power frequency below the maximum
    }
    // The summary also reaches the log, after its title.
    EXPECT_TRUE(
        HasLine(sink.lines, "Medidas de cada passo no arquivo " + outcome.summaryPath + ":"));
    EXPECT_TRUE(HasLine(sink.lines, "  " + summary[2]));
}

// A gain K before the RC low-pass crosses unity at sqrt(K^2 - 1)/(2 pi R C) with a phase margin
// of 180 - atan(sqrt(K^2 - 1)) degrees: 120 for K = 2.
TEST_F(SteppedRunTest, TheSummaryGivesTheUnityGainAndThePhaseMarginOfEachStep)
{
    StepRequest request;
    request.target = {"E1", ""};
    request.values = {2, 10};
    const SteppedOutcome outcome =
        Run(request, "Ganho\nV1 1 0 1\nE1 2 0 1 0 2\nR1 2 3 1000\nC1 3 0 1e-6\n.AC DEC 100 1 100000\n",
            {"3"});
    EXPECT_TRUE(outcome.planned);
    ASSERT_TRUE(outcome.allSucceeded) << JoinLines(sink.lines);
    const std::vector<std::string> summary = SplitLines(ReadWholeFile(outcome.summaryPath));
    ASSERT_EQ(summary.size(), 3u);
    const std::vector<std::string> header = SplitFields(summary[0]);
    const auto unity = std::find(header.begin(), header.end(), "ganho_unitario") - header.begin();
    const auto margin = std::find(header.begin(), header.end(), "margem_fase") - header.begin();
    ASSERT_LT(margin, static_cast<long>(header.size()));
    for (size_t k = 0; k < request.values.size(); ++k) {
        const std::vector<std::string> row = SplitFields(summary[k + 1]);
        ASSERT_EQ(row.size(), header.size());
        const double root = std::sqrt(request.values[k] * request.values[k] - 1);
        EXPECT_NEAR(std::stod(row[unity]) / (root / (2 * Pi * 1e-3)), 1, 1e-3) << row[unity];
        EXPECT_NEAR(std::stod(row[margin]), 180 - std::atan(root) * 180 / Pi, 0.05) << row[margin];
    }
}

TEST_F(SteppedRunTest, AFailingStepIsLoggedAndTheOthersGoOn)
{
    // A stale table of the failing step must not pass for its result.
    dir.Write("rc_2.tab", "f 1m\n1 1\n");
    const SteppedOutcome outcome = Run(Steps({1000, 0, 4000}), RcNetlist("1000"), {"2"});
    EXPECT_FALSE(outcome.allSucceeded);
    ASSERT_EQ(outcome.runs.size(), 3u);
    EXPECT_TRUE(outcome.runs[0].succeeded);
    EXPECT_FALSE(outcome.runs[1].succeeded);
    EXPECT_TRUE(outcome.runs[2].succeeded);
    EXPECT_TRUE(ContainsLines(
        RunLines(2), {"Análise de resposta em frequência não realizada.", "Passo 2 falhou."}));
    EXPECT_EQ(ReadWholeFile(outcome.listPath),
              "passo R1 resultado tabela\n1 1000 ok rc_1.tab\n2 0 falhou -\n3 4000 ok rc_3.tab\n");
    const std::vector<std::string> summary = SplitLines(ReadWholeFile(outcome.summaryPath));
    ASSERT_EQ(summary.size(), 4u);
    EXPECT_EQ(summary[2], "2 0 - - - - - - - - - - - - - -");
    EXPECT_EQ(sink.lines.back(), "2 de 3 passos terminados com sucesso.");
}

TEST_F(SteppedRunTest, AMeasuredNameThatIsNotAnUnknownFailsEveryRun)
{
    const SteppedOutcome outcome = Run(Steps({1000, 2000}), RcNetlist("1000"), {"2", "saida"});
    EXPECT_FALSE(outcome.allSucceeded);
    EXPECT_FALSE(outcome.runs[0].succeeded);
    EXPECT_TRUE(HasLineStartingWith(sink.lines, "Medidas: a variável saida não existe na tabela "));
    const std::vector<std::string> summary = SplitLines(ReadWholeFile(outcome.summaryPath));
    EXPECT_EQ(SplitFields(summary[0])[2], "2.ganho_inicio_dB");
    EXPECT_EQ(SplitFields(summary[0])[16], "saida.ganho_inicio_dB");
}

TEST_F(SteppedRunTest, TheLogAndTheFilesDoNotDependOnTheThreads)
{
    StepRequest request;
    request.tolerances = {{{"R", ""}, 0.05}, {{"C1", ""}, 0.1}};
    request.runs = 12;
    request.seed = 5;
    std::vector<std::string> logs[2], envelopes[2], lists[2];
    const char* counts[] = {"1", "3"};
    for (int t = 0; t < 2; ++t) {
        ThreadLimit limit(counts[t]);
        const SteppedOutcome outcome = Run(request, RcNetlist("1000"), {"2"});
        ASSERT_TRUE(outcome.allSucceeded) << JoinLines(sink.lines);
        logs[t] = sink.lines;
        envelopes[t] = SplitLines(ReadWholeFile(outcome.envelopePath));
        lists[t] = SplitLines(ReadWholeFile(outcome.listPath));
    }
    EXPECT_EQ(logs[0], logs[1]);
    EXPECT_EQ(envelopes[0], envelopes[1]);
    EXPECT_EQ(lists[0], lists[1]);
    EXPECT_EQ(lists[0][0], "execucao R1 C1 resultado tabela");
    EXPECT_EQ(logs[0][1], "Monte Carlo: 12 execuções, distribuição uniforme, semente 5.");
    EXPECT_EQ(logs[0][2], "Tolerâncias: R1 5%, C1 10%.");
    EXPECT_TRUE(HasLine(logs[0],
                        "Envelope de 12 execuções no arquivo " + dir.Path() + "/rc_envelope.tab."));
}

// Asks for a stop once the first run has been logged.
class StopAfterFirst : public StepObserver {
public:
    void RunLogged(int run, const StepRun&) override { stop = stop || run == 0; }
    bool StopRequested() override { return stop; }
    bool stop = false;
};

TEST_F(SteppedRunTest, AStopKeepsTheRunsNotYetStartedFromStarting)
{
    ThreadLimit limit("1"); // one run at a time, at most four ahead of the log
    std::vector<double> values;
    for (int k = 1; k <= 12; ++k)
        values.push_back(1000 * k);
    StopAfterFirst observer;
    const SteppedOutcome outcome = Run(Steps(values), RcNetlist("1000"), {}, &observer);
    EXPECT_FALSE(outcome.allSucceeded);
    EXPECT_TRUE(outcome.runs[0].succeeded);
    for (size_t k = 5; k < values.size(); ++k)
        EXPECT_FALSE(outcome.runs[k].started) << k;
    EXPECT_TRUE(HasLine(sink.lines, "Passo 12 de 12 não realizado: análise interrompida."));
    EXPECT_EQ(SplitLines(ReadWholeFile(outcome.listPath)).back(), "12 12000 interrompido -");
}

TEST_F(SteppedRunTest, ANetlistThatCannotBeReadSaysWhyAsAnOrdinaryRun)
{
    const SteppedOutcome outcome = Run(Steps({1, 2}), "Titulo\nR1 1 0 1\n$ linha ruim\n");
    EXPECT_FALSE(outcome.planned);
    EXPECT_FALSE(outcome.allSucceeded);
    ASSERT_GE(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[sink.lines.size() - 2], "Elemento desconhecido: $ linha ruim\n");
    EXPECT_TRUE(sink.lines.back().starts_with("linha 3: ")) << sink.lines.back();
    EXPECT_TRUE(HasLineStartingWith(sink.lines, "Lendo netlist "));
    EXPECT_FALSE(HasLineStartingWith(sink.lines, "Passo"));
}

struct ThreadShare {
    int limit, runs, runsAtOnce, perSweep;
};

TEST(StepThreads, StepsAndSweepsShareTheLimit)
{
    const ThreadShare cases[] = {
        {1, 5, 1, 1}, {2, 100, 2, 1}, {4, 3, 3, 1}, {8, 3, 3, 2},
        {8, 1, 1, 8}, {2, 1, 1, 2},   {6, 4, 4, 1}, {0, 3, 1, 1},
    };
    for (const ThreadShare& c : cases) {
        const StepThreads threads = ShareThreads(c.limit, c.runs);
        EXPECT_EQ(threads.runsAtOnce, c.runsAtOnce) << c.limit << " " << c.runs;
        EXPECT_EQ(threads.perSweep, c.perSweep) << c.limit << " " << c.runs;
    }
}

TEST(SteppedFiles, NamedAfterTheTable)
{
    EXPECT_EQ(SteppedFilePath("rc.net", "_2.tab"), "rc_2.tab");
    EXPECT_EQ(SteppedFilePath("rc", "_passos.txt"), "rc_passos.txt");
    EXPECT_EQ(SteppedFilePath("dir.v2/filtro.v3.net", "_envelope.tab"),
              "dir.v2/filtro_envelope.tab");
}

} // namespace
