// The sweep on several threads: long enough sweeps start the threads after the five traced
// points, and whatever the thread count the table and the log are the same bytes; rows beyond
// the ring of points solved ahead, a failure in the middle, and the TALVOR_THREADS setting.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "analysis/operating_point.h"
#include "analysis/parallel_sweep.h"
#include "analysis/sweep.h"
#include "analysis_test_circuit.h"
#include "test_support.h"

using namespace talvor;

namespace {

// TALVOR_THREADS for the scope, restored after it.
class ThreadsSetting {
public:
    explicit ThreadsSetting(const char* value)
    {
        if (const char* old = std::getenv("TALVOR_THREADS"))
            old_ = old, hadOld_ = true;
        if (value)
            setenv("TALVOR_THREADS", value, 1);
        else
            unsetenv("TALVOR_THREADS");
    }
    ~ThreadsSetting()
    {
        if (hadOld_)
            setenv("TALVOR_THREADS", old_.c_str(), 1);
        else
            unsetenv("TALVOR_THREADS");
    }

private:
    std::string old_;
    bool hadOld_ = false;
};

struct SweepResult {
    bool failed;
    std::vector<std::string> log;
    std::string table;
    SweepEnd end;
};

// When a sweep is stopped: never, before its first point, after a number of rows (asked on the
// writing thread, as "Parar análise" is), or from another thread after some milliseconds (as a
// signal to talvor-cli may be).
struct Stop {
    enum { Never, AtStart, AfterRows, FromAnotherThread } when = Never;
    long after = 0;
};

enum class Circuit_ { LowPass, SingularAtZero, TinyPivots };

// Operating point and sweep of a small circuit on the given number of threads.
SweepResult Sweep(Circuit_ which, const char* threads, int mode, int points, double fStart,
                  double fEnd, bool results = false, Stop stop = {})
{
    ThreadsSetting setting(threads);
    TempDir dir;
    RecordingSink sink;
    MessageLog log(sink);
    TestHost host;
    host.settings.CBresultados = results;
    Analysis analysis(log, host);
    CircuitBuilder build(analysis.circuit, log);
    build.Add("V1", {"1", "0"}, {1, 0, 0});
    switch (which) {
    case Circuit_::LowPass: // corner at 1/(2π·RC) = 159.155 Hz
        build.Add("R1", {"1", "2"}, {1000});
        build.Add("C1", {"2", "0"}, {1e-6});
        break;
    case Circuit_::SingularAtZero: // node 2 floats at f = 0
        build.Add("C1", {"1", "2"}, {1e-6});
        build.Add("C2", {"2", "0"}, {1e-6});
        break;
    case Circuit_::TinyPivots: // a pivot below 1e-15 at every point
        build.Add("R1", {"1", "2"}, {1000});
        build.Add("C1", {"2", "3"}, {1e-22});
        build.Add("C2", {"3", "0"}, {1e-22});
        break;
    }
    build.Finish();
    analysis.circuit.tablePath = dir.Path() + "/t.tab";
    analysis.circuit.sweep = SweepSpec{mode, points, fStart, fEnd};
    FindOperatingPoint(analysis);
    sink.lines.clear();
    std::atomic<int>& request = analysis.circuit.StopRequest;
    if (stop.when == Stop::AtStart)
        request = 1;
    if (stop.when == Stop::AfterRows)
        host.onRows = [&](long rows) { request = rows >= stop.after; };
    std::thread stopper;
    if (stop.when == Stop::FromAnotherThread)
        stopper = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(stop.after));
            request = 1;
        });
    const SweepEnd end = RunSweep(analysis);
    if (stopper.joinable())
        stopper.join();
    // The table's folder differs from run to run.
    for (std::string& line : sink.lines)
        if (size_t at = line.find(dir.Path()); at != std::string::npos)
            line.replace(at, dir.Path().size(), "DIR");
    return {analysis.circuit.RunFailed, sink.lines, ReadWholeFile(dir.Path() + "/t.tab"), end};
}

size_t Rows(const SweepResult& r) { return SplitLines(r.table).size() - 1; }

const char* const ThreadCounts[] = {"2", "3", "4", "16"};

TEST(ParallelSweep, SameBytesWhateverTheThreadCount)
{
    // Around the start of the threads (5 traced points, then 64), past the ring of 1024 points
    // solved ahead, and a long per-decade sweep.
    struct Case {
        int mode, points;
        double fStart, fEnd;
        size_t rows;
    };
    const Case cases[] = {
        {0, 5, 1, 5, 5},
        {0, 68, 1, 68, 68},
        {0, 69, 1, 69, 69},
        {0, 70, 1, 70, 70},
        {0, 1100, 1, 1100, 1100},
        {0, 3000, 1, 3000, 3000},
        {1, 500, 1, 1e6, 6 * 499 + 1},
    };
    for (const Case& c : cases) {
        const SweepResult one = Sweep(Circuit_::LowPass, "1", c.mode, c.points, c.fStart, c.fEnd);
        ASSERT_FALSE(one.failed);
        EXPECT_EQ(Rows(one), c.rows) << c.points;
        for (const char* threads : ThreadCounts) {
            const SweepResult many =
                Sweep(Circuit_::LowPass, threads, c.mode, c.points, c.fStart, c.fEnd);
            EXPECT_FALSE(many.failed);
            EXPECT_EQ(many.log, one.log) << c.points << " points, " << threads << " threads";
            EXPECT_TRUE(many.table == one.table) << c.points << " points, " << threads;
        }
    }
}

TEST(ParallelSweep, RowsHoldTheLowPassResponse)
{
    // |V(2)| = 1/√(1 + (ωRC)²) and its phase −atan(ωRC) in degrees, at rows spread over a sweep
    // long enough for the threads.
    const SweepResult r = Sweep(Circuit_::LowPass, "4", 0, 2000, 1, 2000);
    const std::vector<std::string> lines = SplitLines(r.table);
    ASSERT_EQ(lines.size(), 2001u);
    for (int k = 1; k <= 2000; k += 37) {
        std::istringstream fields(lines[k]);
        double f, m1, p1, m2, p2;
        fields >> f >> m1 >> p1 >> m2 >> p2;
        const double w = 6.283185307179586 * k * 1e-3; // ωRC
        EXPECT_EQ(f, k);
        EXPECT_EQ(m1, 1);
        EXPECT_EQ(p1, 0);
        EXPECT_NEAR(m2, 1 / std::sqrt(1 + w * w), 1e-5 * m2) << lines[k];
        EXPECT_NEAR(p2, -std::atan(w) * 57.29577951308232, 1e-4) << lines[k];
    }
}

TEST(ParallelSweep, WarningsOfEveryPointAreReplayedInOrder)
{
    const SweepResult one = Sweep(Circuit_::TinyPivots, "1", 0, 300, 1, 300, true);
    const SweepResult four = Sweep(Circuit_::TinyPivots, "4", 0, 300, 1, 300, true);
    EXPECT_EQ(four.log, one.log);
    size_t warnings = 0, reports = 0;
    for (const std::string& line : four.log) {
        warnings += line.rfind("Possível sistema singular. Pivot=", 0) == 0;
        reports += line.rfind("Resultados (f=", 0) == 0;
    }
    EXPECT_EQ(warnings, 300u);
    EXPECT_EQ(reports, 5u); // the traced points only
    EXPECT_EQ(four.log.back(), "Tabela escrita no arquivo DIR/t.tab com 300 pontos.");
}

TEST(ParallelSweep, FailureMidwayKeepsTheRowsBeforeIt)
{
    // Linear from −N to M in steps of 1: the point f = 0, the (N+1)th, leaves node 2 without a
    // path and its pivot is exactly 0. Before the ring of points solved ahead wraps and after.
    struct Span {
        int before, after;
    };
    // Failing early, more points are left than the ring holds: the threads must still stop.
    for (const Span span : {Span{1000, 1000}, Span{2000, 1000}, Span{100, 3000}}) {
        const int before = span.before;
        const int points = span.before + span.after + 1;
        const SweepResult one =
            Sweep(Circuit_::SingularAtZero, "1", 0, points, -before, span.after);
        EXPECT_TRUE(one.failed);
        EXPECT_EQ(Rows(one), size_t(before));
        ASSERT_GE(one.log.size(), 2u);
        EXPECT_EQ(one.log[one.log.size() - 2], "Possível sistema singular. Pivot=0.");
        EXPECT_EQ(one.log.back(), "Cálculo interrompido.");
        for (const char* threads : ThreadCounts) {
            const SweepResult many =
                Sweep(Circuit_::SingularAtZero, threads, 0, points, -before, span.after);
            EXPECT_TRUE(many.failed);
            EXPECT_EQ(many.log, one.log) << threads;
            EXPECT_TRUE(many.table == one.table) << threads;
        }
    }
}

TEST(ParallelSweep, AStopKeepsTheRowsWrittenAndSaysHowMany)
{
    // Asked for on the writing thread, the stop comes before the next row, whatever the threads.
    struct Case {
        Stop stop;
        size_t rows;
    };
    const Case cases[] = {
        {{Stop::AtStart, 0}, 0},
        {{Stop::AfterRows, SweepProgress::ReportEvery}, SweepProgress::ReportEvery},
        {{Stop::AfterRows, 20 * SweepProgress::ReportEvery}, 20 * SweepProgress::ReportEvery},
    };
    for (const Case& c : cases) {
        for (const char* threads : {"1", "2", "4", "16"}) {
            const SweepResult r =
                Sweep(Circuit_::LowPass, threads, 0, 100000, 1, 100000, false, c.stop);
            EXPECT_EQ(r.end, SweepEnd::Stopped);
            EXPECT_TRUE(r.failed);
            EXPECT_EQ(Rows(r), c.rows) << threads;
            ASSERT_GE(r.log.size(), 2u);
            EXPECT_EQ(r.log[r.log.size() - 2], "Cálculo interrompido.");
            EXPECT_EQ(r.log.back(),
                      "Parada pedida pelo usuário: o arquivo DIR/t.tab ficou com os " +
                          std::to_string(c.rows) + " pontos já calculados.");
        }
    }
}

TEST(ParallelSweep, AStopFromAnotherThreadEndsALongSweepSoon)
{
    // A million points on four threads, stopped after 50 ms: the count in the log is the table's,
    // every row is whole, and the sweep ends well before its end.
    const SweepResult r =
        Sweep(Circuit_::LowPass, "4", 0, 1000000, 1, 1e6, false, {Stop::FromAnotherThread, 50});
    ASSERT_EQ(r.end, SweepEnd::Stopped);
    const std::vector<std::string> lines = SplitLines(r.table);
    EXPECT_LT(lines.size(), 1000001u);
    EXPECT_EQ(r.log.back(), "Parada pedida pelo usuário: o arquivo DIR/t.tab ficou com os " +
                                std::to_string(lines.size() - 1) + " pontos já calculados.");
    for (size_t k = 1; k < lines.size(); ++k)
        ASSERT_EQ(std::count(lines[k].begin(), lines[k].end(), ' '), 6) << k;
}

TEST(SweepThreadCount, ReadsTalvorThreads)
{
    const int hardware = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    struct Case {
        const char* value;
        int threads;
    };
    const Case cases[] = {
        {"1", 1},          {"4", 4},         {"256", 256},        {"257", 256},
        {"100000", 256},   {"3 threads", 3}, {"0", hardware},     {"-2", hardware},
        {"abc", hardware}, {"", hardware},   {nullptr, hardware},
    };
    for (const Case& c : cases) {
        ThreadsSetting setting(c.value);
        EXPECT_EQ(SweepThreadCount(), c.threads) << (c.value ? c.value : "(unset)");
    }
}

} // namespace
