// Runs of a plan on several threads. Each thread takes the next run in order and runs it whole
// with an Analysis of its own (nothing of one run is shared with another); the calling thread
// replays each run's log lines in run order as soon as the runs before it are done.
#include "steps/step_runner.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/parallel_sweep.h"
#include "analysis/run_analysis.h"
#include "common/c_text.h"
#include "common/message_log.h"
#include "plot/measure_tables.h"

namespace talvor {

namespace {

// Runs done ahead of the one being logged, per thread: bounds the log text kept waiting.
constexpr int AheadPerThread = 4;

// Keeps a run's lines, each ended by '\0', to be replayed in the run's turn.
class BufferSink : public MessageSink {
public:
    explicit BufferSink(std::string& target) : target_(target) {}
    void WriteLine(std::string_view line) override
    {
        target_.append(line);
        target_.push_back('\0');
    }

private:
    std::string& target_;
};

void ReplayLog(const std::string& lines, MessageLog& log)
{
    for (size_t start = 0; start < lines.size(); start = lines.find('\0', start) + 1)
        log.AppendLog("%s", lines.c_str() + start);
}

// The host of one run: the job's settings, no windows. A stop of the whole job reaches the run's
// operating point through its stop request, which the operating point clears when it starts and
// polls after every stamp.
class StepHost : public HeadlessHost {
public:
    StepHost(const AnalysisSettings& jobSettings, const std::atomic<bool>& stop) : stop_(stop)
    {
        settings = jobSettings;
    }
    void ProcessEvents() override { PassOnStop(); }
    void SetStopEnabled(bool enabled) override
    {
        if (enabled)
            PassOnStop();
    }
    void HandOverTablePath(const std::string&) override { netlistRead = true; }

    Circuit* circuit = nullptr;
    bool netlistRead = false;

private:
    void PassOnStop()
    {
        if (stop_.load(std::memory_order_relaxed))
            circuit->StopRequest = 1;
    }
    const std::atomic<bool>& stop_;
};

const char* RunWord(const StepPlan& plan) { return plan.monteCarlo ? "Execução" : "Passo"; }

struct RunSlot {
    enum class State { Waiting, Running, Done, Skipped } state = State::Waiting;
    std::string logText;
    StepRun result;
    Circuit* circuit = nullptr; // while the run's analysis exists
};

class StepPipeline {
public:
    StepPipeline(const StepPlan& plan, const StepJob& job, StepThreads threads)
        : plan_(plan), job_(job), threads_(threads), slots_(plan.RunCount())
    {}

    std::vector<StepRun> Run(MessageLog& log, StepObserver& observer)
    {
        std::vector<std::thread> runners;
        for (int w = 0; w < threads_.runsAtOnce; ++w) {
            try {
                runners.emplace_back([this] { RunnerLoop(); });
            } catch (const std::system_error&) {
                break; // the system refused a thread: go on with fewer
            }
        }
        // Not even one thread: the calling thread runs each run in its turn.
        runsOnCaller_ = runners.empty();
        std::vector<StepRun> results;
        for (int run = 0; run < plan_.RunCount(); ++run) {
            WaitForTurn(run, observer);
            RunSlot& slot = slots_[run];
            if (slot.state == RunSlot::State::Skipped)
                log.AppendLog("%s %d de %d não realizado: análise interrompida.", RunWord(plan_),
                              run + 1, plan_.RunCount());
            ReplayLog(slot.logText, log);
            slot.logText = std::string();
            results.push_back(slot.result);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                logged_ = run + 1;
            }
            changed_.notify_all();
            observer.RunLogged(run, results.back());
        }
        for (std::thread& runner : runners)
            runner.join();
        return results;
    }

private:
    // Waits until run is done or will never start, letting the observer work and stop meanwhile.
    void WaitForTurn(int run, StepObserver& observer)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (observer.StopRequested())
            StopAll();
        for (;;) {
            const RunSlot::State state = slots_[run].state;
            if (state == RunSlot::State::Done || state == RunSlot::State::Skipped)
                return;
            if (stop_.load() && state == RunSlot::State::Waiting) {
                slots_[run].state = RunSlot::State::Skipped;
                return;
            }
            if (runsOnCaller_) {
                RunNext(lock, callerScratch_);
                continue;
            }
            changed_.wait_for(lock, std::chrono::milliseconds(StepObserver::WaitSliceMs));
            lock.unlock();
            observer.Wait();
            const bool stop = observer.StopRequested();
            lock.lock();
            if (stop)
                StopAll();
        }
    }

    // Keeps the runs not yet started from starting and stops those under way at their next look
    // at their stop request (the operating point's stamps, the sweep's points). Under the lock.
    void StopAll()
    {
        stop_.store(true);
        for (RunSlot& slot : slots_)
            if (slot.circuit != nullptr)
                slot.circuit->StopRequest = 1;
    }

    void RunnerLoop()
    {
        std::unique_ptr<MeasureScratch> scratch;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            const int limit = logged_ + threads_.runsAtOnce * AheadPerThread;
            if (next_ == plan_.RunCount() || stop_.load())
                return;
            if (next_ >= limit)
                changed_.wait(lock);
            else
                RunNext(lock, scratch);
        }
    }

    // Takes the next run and runs it with the lock released meanwhile.
    void RunNext(std::unique_lock<std::mutex>& lock, std::unique_ptr<MeasureScratch>& scratch)
    {
        const int run = next_++;
        RunSlot& slot = slots_[run];
        slot.state = RunSlot::State::Running;
        lock.unlock();
        RunOne(run, slot, scratch);
        lock.lock();
        slot.state = RunSlot::State::Done;
        changed_.notify_all();
    }

    void RunOne(int run, RunSlot& slot, std::unique_ptr<MeasureScratch>& scratch)
    {
        BufferSink sink(slot.logText);
        MessageLog log(sink);
        StepHost host(job_.settings, stop_);
        auto analysis = std::make_unique<Analysis>(log, host);
        host.circuit = &analysis->circuit;
        StepRun& result = slot.result;
        result.started = true;
        result.tablePath =
            SteppedFilePath(job_.netlistPath, "_" + std::to_string(run + 1) + ".tab");
        analysis->variation = {plan_.Overrides(run), result.tablePath};
        // A table left by an earlier analysis would pass for this run's if the run fails before
        // its sweep.
        std::error_code error;
        std::filesystem::remove(result.tablePath, error);
        analysis->sweepThreads = threads_.perSweep;

        log.AppendLog("%s", "");
        log.AppendLog("%s %d de %d: %s", RunWord(plan_), run + 1, plan_.RunCount(),
                      DisplayText(plan_.Describe(run)).c_str());
        SetRunning(slot, &analysis->circuit);
        RunAnalysis(*analysis, job_.netlistPath);
        SetRunning(slot, nullptr);
        result.succeeded = host.netlistRead && !analysis->circuit.RunFailed;
        if (result.succeeded)
            result.succeeded = Measure(result, log, scratch);
        result.stopped = !result.succeeded && stop_.load();
        if (!result.succeeded)
            log.AppendLog(result.stopped ? "%s %d interrompido." : "%s %d falhou.", RunWord(plan_),
                          run + 1);
    }

    // Where a stop reaches the run: its circuit while the analysis runs, none after.
    void SetRunning(RunSlot& slot, Circuit* circuit)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        slot.circuit = circuit;
    }

    // The blocks of the job's unknowns in the run's table; false when a name is not there.
    bool Measure(StepRun& result, MessageLog& log, std::unique_ptr<MeasureScratch>& scratch)
    {
        const size_t count = job_.measureNames.size();
        result.measures.assign(count, ResponseMeasures{});
        result.measured.assign(count, 0);
        if (count > 0 && !scratch)
            scratch = std::make_unique<MeasureScratch>();
        bool allFound = true;
        for (size_t k = 0; k < count; ++k) {
            result.measured[k] =
                MeasureTableUnknown(result.tablePath.c_str(), job_.measureNames[k].c_str(),
                                    job_.units, *scratch, log, &result.measures[k]);
            allFound = allFound && result.measured[k];
        }
        return allFound;
    }

    const StepPlan& plan_;
    const StepJob& job_;
    const StepThreads threads_;
    std::vector<RunSlot> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::atomic<bool> stop_ = false;
    bool runsOnCaller_ = false;
    std::unique_ptr<MeasureScratch> callerScratch_;
    int next_ = 0;   // the next run to start
    int logged_ = 0; // runs whose lines have been handed on
};

} // namespace

StepThreads ShareThreads(int limit, int runCount)
{
    StepThreads threads;
    threads.runsAtOnce = std::max(1, std::min(limit, runCount));
    threads.perSweep = std::max(1, limit / threads.runsAtOnce);
    return threads;
}

std::string SteppedFilePath(const std::string& netlistPath, const std::string& suffix)
{
    const std::string table = NetlistPathsFor(netlistPath).tablePath;
    return table.substr(0, table.size() - 4) + suffix; // without ".tab"
}

std::vector<StepRun> RunSteps(const StepPlan& plan, const StepJob& job, MessageLog& log,
                              StepObserver& observer)
{
    StepPipeline pipeline(plan, job, ShareThreads(SweepThreadCount(), plan.RunCount()));
    return pipeline.Run(log, observer);
}

} // namespace talvor
