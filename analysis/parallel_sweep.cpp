// The points of a sweep after the traced ones, solved on several threads. They are independent:
// threads take them in sweep order, each with its own equation system and log buffer, and the
// calling thread writes the rows and replays the log lines in order.
#include "analysis/parallel_sweep.h"

#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "common/message_log.h"

namespace talvor {

namespace {

constexpr long RingSize = 1024; // points solved ahead of the row being written
constexpr int MinPointsForThreads = 64;

// Keeps the lines a point logs, each ended by '\0', to be replayed in the point's turn.
class BufferSink : public MessageSink {
public:
    void WriteLine(std::string_view line) override
    {
        target->append(line);
        target->push_back('\0');
    }
    std::string* target = nullptr;
};

void ReplayLog(const std::string& lines, MessageLog& log)
{
    for (size_t start = 0; start < lines.size(); start = lines.find('\0', start) + 1)
        log.AppendLog("%s", lines.c_str() + start);
}

enum class SlotState { Free, Taken, Solved, Failed };

struct PointSlot {
    SlotState state = SlotState::Free;
    std::string logText;
    RowText row;
};

// What one thread needs of its own to solve points.
struct Worker {
    Worker() : log(sink) {}
    MnaSystem mna;
    BufferSink sink;
    MessageLog log;
};

// The points after the traced ones. Any free thread takes the next point of the sweep (so the
// frequencies are computed in sweep order, as a single walk would) and solves it into the ring
// slot of its index; the calling thread writes the slots in index order and solves points itself
// while the next row is not ready. A thread never waits for another except when the ring is full.
class PointPipeline {
public:
    PointPipeline(const SweepContext& context, const SweepPlan& plan, double f, long index,
                  int threadCount)
        : context_(context), plan_(plan), nextF_(f), nextIndex_(index), nextToWrite_(index),
          ring_(std::make_unique<PointSlot[]>(RingSize)), workers_(threadCount)
    {
        for (int w = 1; w < threadCount; ++w) {
            try {
                helpers_.emplace_back([this, w] { HelperLoop(workers_[w]); });
            } catch (const std::system_error&) {
                break; // the system refused a thread: go on with fewer
            }
        }
    }

    ~PointPipeline()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& helper : helpers_)
            helper.join();
    }

    PointPipeline(const PointPipeline&) = delete;
    PointPipeline& operator=(const PointPipeline&) = delete;

    // Writes every remaining row, counting each in progress; Failed at a failed point and Stopped
    // at a stop request, after the rows before it.
    SweepEnd Run(ResultTable& table, MessageLog& log, SweepProgress& progress)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            PointSlot& slot = ring_[nextToWrite_ % RingSize];
            if (StopRequested(context_.circuit)) {
                return SweepEnd::Stopped;
            } else if (slot.state == SlotState::Solved || slot.state == SlotState::Failed) {
                lock.unlock();
                ReplayLog(slot.logText, log);
                if (slot.state == SlotState::Failed)
                    return SweepEnd::Failed;
                table.WriteRow(slot.row);
                progress.RowWritten();
                lock.lock();
                slot.state = SlotState::Free;
                ++nextToWrite_;
                changed_.notify_all();
            } else if (nextToWrite_ == nextIndex_ && !PointsLeft()) {
                return SweepEnd::Written;
            } else if (!SolveNext(lock, workers_[0])) {
                // With a point in flight, its thread wakes this one when done. With none, only a
                // stop (requested since the test above) keeps the next point from being taken.
                if (nextToWrite_ == nextIndex_)
                    return SweepEnd::Stopped;
                changed_.wait(lock);
            }
        }
    }

private:
    bool PointsLeft() const { return InSweep(plan_, nextIndex_, nextF_); }
    // Points are left to take, and no stop was requested.
    bool MorePoints() const { return PointsLeft() && !StopRequested(context_.circuit); }

    // Takes the next point and solves it, with the lock released meanwhile; false when there is
    // none to take now (end of the sweep, a stop, or the ring full).
    bool SolveNext(std::unique_lock<std::mutex>& lock, Worker& worker)
    {
        if (!MorePoints() || nextIndex_ - nextToWrite_ >= RingSize)
            return false;
        const double f = nextF_;
        const long index = nextIndex_;
        nextF_ = NextFrequency(plan_, nextF_);
        ++nextIndex_;
        PointSlot& slot = ring_[index % RingSize];
        slot.state = SlotState::Taken;
        lock.unlock();

        slot.logText.clear();
        worker.sink.target = &slot.logText;
        const bool solved = SolvePoint(context_, worker.mna, worker.log, f, index, slot.row);

        lock.lock();
        slot.state = solved ? SlotState::Solved : SlotState::Failed;
        changed_.notify_all();
        return true;
    }

    void HelperLoop(Worker& worker)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopping_) {
            if (!SolveNext(lock, worker)) {
                if (!MorePoints())
                    return;
                changed_.wait(lock);
            }
        }
    }

    const SweepContext& context_;
    const SweepPlan& plan_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    double nextF_; // the next point to take
    long nextIndex_;
    long nextToWrite_; // the next row to write
    std::unique_ptr<PointSlot[]> ring_;
    std::vector<Worker> workers_; // workers_[0] belongs to the calling thread
    std::vector<std::thread> helpers_;
};

// Whether at least count points are left from index with value f.
bool AtLeastPoints(const SweepPlan& plan, double f, long index, int count)
{
    for (int k = 0; k < count; ++k, ++index, f = NextFrequency(plan, f))
        if (!InSweep(plan, index, f))
            return false;
    return true;
}

} // namespace

int SweepThreadCount()
{
    if (const char* text = std::getenv("TALVOR_THREADS")) {
        long count = std::strtol(text, nullptr, 10);
        if (count > 0)
            return count > 256 ? 256 : static_cast<int>(count);
    }
    unsigned hardware = std::thread::hardware_concurrency();
    return hardware == 0 ? 1 : static_cast<int>(hardware);
}

SweepEnd WriteRemainingPoints(const SweepContext& context, const SweepPlan& plan, double f,
                              long index, ResultTable& table, MessageLog& log,
                              SweepProgress& progress)
{
    if (!InSweep(plan, index, f))
        return SweepEnd::Written;
    // Threads pay off only for long sweeps.
    const int threadCount =
        !AtLeastPoints(plan, f, index, MinPointsForThreads) ? 1
        : context.threads > 0                                ? context.threads
                                                             : SweepThreadCount();
    PointPipeline pipeline(context, plan, f, index, threadCount);
    return pipeline.Run(table, log, progress);
}

} // namespace talvor
