// The sweep's points: modes, counts, the end limit, and the sweeps refused (unending, invalid or
// millions of rows long) or reduced to one point, before the table is made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "analysis/run_analysis.h"
#include "analysis/sweep.h"
#include "analysis_test_circuit.h"
#include "common/message_log.h"
#include "test_support.h"

using namespace talvor;

namespace {

struct Walk {
    bool planned = false;
    int mode = -1; // the SweepSpec's mode after planning
    std::vector<std::string> log;
    long count = 0; // the rows the plan walks, up to MaxSweepRows + 10
    // The frequency column of the first 100000 rows, as "%g" writes it.
    std::vector<std::string> rows;
};

// Plans the sweep and walks it as the sweep does, capped so that a runaway walk fails instead of
// hanging.
Walk WalkSweep(int mode, int points, double fStart, double fEnd)
{
    SweepSpec sweep;
    sweep.mode = mode;
    sweep.points = points;
    sweep.fStart = fStart;
    sweep.fEnd = fEnd;
    RecordingSink sink;
    MessageLog log(sink);
    SweepPlan plan;
    Walk walk;
    walk.planned = PlanSweep(sweep, log, plan);
    walk.mode = sweep.mode;
    walk.log = sink.lines;
    if (!walk.planned)
        return walk;
    double f = plan.fStart;
    for (; InSweep(plan, walk.count, f) && walk.count < MaxSweepRows + 10; ++walk.count) {
        if (walk.rows.size() < 100000) {
            char text[32];
            std::snprintf(text, sizeof text, "%g", f);
            walk.rows.push_back(text);
        }
        f = NextFrequency(plan, f);
    }
    return walk;
}

using Rows = std::vector<std::string>;

TEST(SweepPlan, WalksTheThreeModes)
{
    struct Case {
        const char* what;
        int mode, points;
        double fStart, fEnd;
        Rows rows;
    };
    const Case cases[] = {
        {"per decade, 10 points including both ends",
         1,
         10,
         1,
         10,
         {"1", "1.29155", "1.6681", "2.15443", "2.78256", "3.59381", "4.64159", "5.99484",
          "7.74264", "10"}},
        {"worked example", 1, 3, 10, 1000, {"10", "31.6228", "100", "316.228", "1000"}},
        {"linear from 0", 0, 5, 0, 100, {"0", "25", "50", "75", "100"}},
        {"per octave from 0 turns linear", 2, 5, 0, 100, {"0", "25", "50", "75", "100"}},
        {"per decade from 0 turns linear", 1, 3, 0, 10, {"0", "5", "10"}},
        {"per octave", 2, 2, 1, 8, {"1", "2", "4", "8"}},
        {"per decade, start above end", 1, 10, 100, 10, {"100"}},
        {"per octave, start above end", 2, 10, 100, 10, {"100"}},
        {"per decade, end not positive", 1, 10, 1, -10, {"1"}},
        {"linear, negative values", 0, 3, -100, -10, {"-100", "-55", "-10"}},
        {"linear through zero", 0, 3, -1, 1, {"-1", "0", "1"}},
    };
    for (const Case& c : cases) {
        Walk walk = WalkSweep(c.mode, c.points, c.fStart, c.fEnd);
        EXPECT_TRUE(walk.planned) << c.what;
        EXPECT_EQ(walk.rows, c.rows) << c.what;
        EXPECT_TRUE(walk.log.empty()) << c.what;
    }
}

TEST(SweepPlan, StartOfZeroMakesTheSweepLinearForGood)
{
    EXPECT_EQ(WalkSweep(2, 5, 0, 100).mode, 0);
    EXPECT_EQ(WalkSweep(1, 5, 1, 100).mode, 1);
}

TEST(SweepPlan, LongSweepsKeepTheirPointCounts)
{
    // 9 decades of 1000 points share their ends: 9 × 999 + 1 rows.
    Walk decades = WalkSweep(1, 1000, 1, 1e9);
    ASSERT_EQ(decades.count, 8992);
    ASSERT_EQ(decades.rows.size(), 8992u);
    EXPECT_EQ(decades.rows.back(), "1e+09");
    Walk linear = WalkSweep(0, 1000, 1, 10000);
    ASSERT_EQ(linear.rows.size(), 1000u);
    EXPECT_EQ(linear.rows.back(), "10000");
}

TEST(SweepPlan, RefusesSweepsThatCouldNotEnd)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int mode, points;
        double fStart, fEnd;
        const char* line;
    };
    const Case cases[] = {
        {1, 0, 1, 10, "Número de pontos inválido na varredura: 0. Tabela não gerada."},
        {0, -5, 0, 10, "Número de pontos inválido na varredura: -5. Tabela não gerada."},
        {0, 10, 1, inf, "Frequências inválidas na varredura: 1 a inf. Tabela não gerada."},
        {1, 10, nan, 10, "Frequências inválidas na varredura: nan a 10. Tabela não gerada."},
        {1, 10, -1, 10,
         "Frequência inicial negativa (-1) em escala logarítmica. Tabela não gerada."},
        {2, 10, -1e-3, 10,
         "Frequência inicial negativa (-0.001) em escala logarítmica. Tabela não gerada."},
    };
    for (const Case& c : cases) {
        Walk walk = WalkSweep(c.mode, c.points, c.fStart, c.fEnd);
        EXPECT_FALSE(walk.planned) << c.line;
        EXPECT_EQ(walk.log, Rows{c.line});
    }
}

TEST(SweepPlan, ReducesDegenerateSweepsToOnePointAtTheStart)
{
    struct Case {
        const char* what;
        int mode, points;
        double fStart, fEnd;
        const char* row;
        const char* line;
    };
    const Case cases[] = {
        {"one point, linear", 0, 1, 5, 100, "5", "Varredura de um só ponto, em 5."},
        {"one point, per decade", 1, 1, 5, 100, "5", "Varredura de um só ponto, em 5."},
        {"linear, end below start", 0, 10, 100, 10, "100",
         "Frequência final não supera a inicial: varredura de um só ponto, em 100."},
        {"linear, end equal to start", 0, 10, 7, 7, "7",
         "Frequência final não supera a inicial: varredura de um só ponto, em 7."},
        {"linear, all zero", 0, 10, 0, 0, "0",
         "Frequência final não supera a inicial: varredura de um só ponto, em 0."},
    };
    for (const Case& c : cases) {
        Walk walk = WalkSweep(c.mode, c.points, c.fStart, c.fEnd);
        EXPECT_TRUE(walk.planned) << c.what;
        EXPECT_EQ(walk.rows, Rows{c.row}) << c.what;
        EXPECT_EQ(walk.log, Rows{c.line}) << c.what;
    }
}

TEST(SweepPlan, LinearSweepNeverWritesMoreThanItsPointCount)
{
    // An increment far below the resolution of f leaves f unchanged: only the count ends it.
    Walk walk = WalkSweep(0, 50, 1e6, 1e6 + 1e-6);
    EXPECT_EQ(walk.count, 50);
}

TEST(SweepLimits, AcceptsSweepsUpToTheRowLimit)
{
    Walk linear = WalkSweep(0, MaxSweepRows, 1, 1e6);
    EXPECT_TRUE(linear.planned);
    EXPECT_EQ(linear.count, MaxSweepRows);
    // 300 decades of 1000 points: 299,701 rows.
    Walk decades = WalkSweep(1, 1000, 1e-150, 1e150);
    EXPECT_TRUE(decades.planned);
    EXPECT_EQ(decades.count, 299701);
    EXPECT_TRUE(decades.log.empty());
}

TEST(SweepLimits, RefusesLongerSweepsWithTheirRowCount)
{
    struct Case {
        int mode, points;
        double fStart, fEnd;
        const char* line;
    };
    const Case cases[] = {
        {0, MaxSweepRows + 1, 1, 10,
         "Varredura longa demais: 1000001 pontos (máximo 1000000). Tabela não gerada."},
        {0, 2147483647, 1, 10,
         "Varredura longa demais: 2147483647 pontos (máximo 1000000). Tabela não gerada."},
        {1, 1000000000, 1, 1e300,
         "Varredura longa demais: 300000011001 pontos (máximo 1000000). Tabela não gerada."},
        // The ratio of the end to the start overflows: no count at all.
        {2, 10, 1e-300, 1e300,
         "Varredura longa demais: inf pontos (máximo 1000000). Tabela não gerada."},
    };
    for (const Case& c : cases) {
        Walk planned = WalkSweep(c.mode, c.points, c.fStart, c.fEnd);
        EXPECT_FALSE(planned.planned) << c.line;
        EXPECT_EQ(planned.log, std::vector<std::string>{c.line});
    }
}

TEST(SweepLimits, RefusesALogarithmicStartThatCouldNeverGrow)
{
    // 5e-324 times a ratio of 1.0023 rounds back to 5e-324.
    for (double start : {5e-324, DBL_MIN / 2}) {
        Walk planned = WalkSweep(1, 1000, start, 1);
        EXPECT_FALSE(planned.planned) << start;
        ASSERT_EQ(planned.log.size(), 1u);
        EXPECT_EQ(planned.log[0].rfind("Frequências inválidas na varredura: ", 0), 0u);
    }
    EXPECT_TRUE(WalkSweep(1, 1000, DBL_MIN, DBL_MIN * 10).planned);
}

} // namespace

namespace {

// Notes what the sweep tells the host about its progress, and on which thread.
class ProgressHost : public TestHost {
public:
    void SweepStarted(long plannedRows) override { events.push_back({'S', plannedRows, Here()}); }
    void SweepRowsWritten(long rows) override { events.push_back({'R', rows, Here()}); }
    void SweepEnded() override { events.push_back({'E', 0, Here()}); }

    struct Event {
        char kind;
        long rows;
        std::thread::id thread;
    };
    std::vector<Event> events;

private:
    static std::thread::id Here() { return std::this_thread::get_id(); }
};

// Runs the netlist with threads sweep threads; the log and the table.
std::pair<std::vector<std::string>, std::string>
RunWithThreads(const std::string& netlist, const char* threads, AnalysisHost& host)
{
    setenv("TALVOR_THREADS", threads, 1);
    RecordingSink sink;
    MessageLog log(sink);
    auto analysis = std::make_unique<Analysis>(log, host);
    RunAnalysis(*analysis, netlist);
    unsetenv("TALVOR_THREADS");
    return {sink.lines, ReadWholeFile(analysis->circuit.tablePath)};
}

} // namespace

// Every ReportEvery rows the thread that writes the table reports the rows written, between one
// start (with the planned rows) and one end; the log and the table are those of a run that
// reports nothing, on one thread or several.
TEST(SweepProgress, ReportsTheRowsWrittenFromTheWritingThread)
{
    TempDir dir;
    struct Case {
        const char* ac;
        long rows;
    };
    // 700 points per decade count both ends of each: 6 x 699 + 1 rows.
    // A decade sweep that ends below its start is one point.
    for (Case c : {Case{".AC LIN 5000 1 1e5", 5000}, Case{".AC DEC 700 1 1e6", 4195},
                   Case{".AC LIN 3 1 10", 3}, Case{".AC DEC 10 100 10", 1}}) {
        const std::string netlist = dir.Write(
            "rc.net", std::string("RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n") + c.ac + "\n");
        TestHost silent;
        const auto reference = RunWithThreads(netlist, "1", silent);
        ASSERT_EQ(std::count(reference.second.begin(), reference.second.end(), '\n'), c.rows + 1);
        for (const char* threads : {"1", "3"}) {
            ProgressHost host;
            const auto run = RunWithThreads(netlist, threads, host);
            EXPECT_EQ(run.first, reference.first) << c.ac << " " << threads;
            EXPECT_TRUE(run.second == reference.second) << c.ac << " " << threads;
            ASSERT_GE(host.events.size(), 2u);
            EXPECT_EQ(host.events.front().kind, 'S');
            EXPECT_NEAR(host.events.front().rows, c.rows, c.rows > 3 ? 1 : 0) << c.ac;
            EXPECT_EQ(host.events.back().kind, 'E');
            const long reports = c.rows / SweepProgress::ReportEvery;
            ASSERT_EQ(host.events.size(), static_cast<size_t>(reports + 2)) << c.ac;
            for (long n = 1; n <= reports; ++n) {
                EXPECT_EQ(host.events[n].kind, 'R');
                EXPECT_EQ(host.events[n].rows, n * SweepProgress::ReportEvery);
            }
            for (const ProgressHost::Event& event : host.events)
                EXPECT_EQ(event.thread, std::this_thread::get_id());
        }
    }
}

// A sweep that fails half way still ends its progress, after the rows before the failure.
TEST(SweepProgress, EndsWhenTheSweepFails)
{
    TempDir dir;
    // Node 2 hangs between two capacitors: at f = 0, the 1001st point, its column is all zero.
    const std::string netlist = dir.Write(
        "c.net", "Capacitores\nV1 1 0 1\nC1 1 2 1e-6\nC2 2 0 1e-6\n.AC LIN 2001 -1000 1000\n");
    ProgressHost host;
    const auto run = RunWithThreads(netlist, "2", host);
    EXPECT_TRUE(Contains(run.first, "Cálculo interrompido."));
    ASSERT_EQ(host.events.size(), 1000 / SweepProgress::ReportEvery + 2);
    EXPECT_EQ(host.events.front().kind, 'S');
    EXPECT_EQ(host.events[host.events.size() - 2].rows, 896);
    EXPECT_EQ(host.events.back().kind, 'E');
}
