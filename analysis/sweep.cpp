// The frequency sweep: plans the points, solves the small-signal system at each and writes one
// table row per point. After the first five points (which may print traces and reports) the
// points are independent: threads take them in sweep order, each with its own equation system
// and log buffer, and the calling thread writes the rows and replays the log lines in order.
#include "analysis/sweep.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/analysis_settings.h"
#include "analysis/phases.h"
#include "analysis/result_table.h"
#include "common/c_text.h"
#include "common/message_log.h"

namespace {

// How many rows the plan walks, about (a geometric count may be one off by rounding).
double PlannedRows(const SweepPlan& plan)
{
    if (!plan.geometric)
        return static_cast<double>(plan.maxPoints);
    if (!(plan.endLimit > plan.fStart) || plan.step <= 1)
        return 1;
    return std::floor(std::log(plan.endLimit / plan.fStart) / std::log(plan.step)) + 1;
}

} // namespace

bool PlanSweep(SweepSpec& sweep, MessageLog& log, SweepPlan& plan)
{
    if (sweep.fStart == 0)
        sweep.mode = 0;
    if (!std::isfinite(sweep.fStart) || !std::isfinite(sweep.fEnd)) {
        log.AppendLog("Frequências inválidas na varredura: %g a %g. Tabela não gerada.",
                      sweep.fStart, sweep.fEnd);
        return false;
    }
    if (sweep.points < 1) {
        log.AppendLog("Número de pontos inválido na varredura: %d. Tabela não gerada.",
                      sweep.points);
        return false;
    }
    plan.geometric = sweep.mode == 1 || sweep.mode == 2;
    if (plan.geometric && sweep.fStart < 0) {
        log.AppendLog("Frequência inicial negativa (%g) em escala logarítmica. Tabela não gerada.",
                      sweep.fStart);
        return false;
    }
    if (plan.geometric && sweep.fStart < DBL_MIN) {
        // A subnormal start times a ratio just above 1 rounds back to itself: f would never grow.
        log.AppendLog("Frequências inválidas na varredura: %g a %g. Tabela não gerada.",
                      sweep.fStart, sweep.fEnd);
        return false;
    }
    plan.fStart = sweep.fStart;
    // The margin lets the last point through despite rounding; below zero it must shrink |fEnd|.
    plan.endLimit = sweep.fEnd * (sweep.fEnd < 0 ? 0.9999999 : 1.0000001);
    plan.maxPoints = plan.geometric ? LONG_MAX : sweep.points;

    if (sweep.points == 1) {
        log.AppendLog("Varredura de um só ponto, em %g.", sweep.fStart);
        plan.step = plan.geometric ? 1 : 0;
        plan.maxPoints = 1;
        return true;
    }
    // N counts the points of a decade or octave including both of its ends.
    double intervals = sweep.points - 1;
    if (sweep.mode == 1) {
        plan.step = std::pow(10.0, 1 / intervals);
    } else if (sweep.mode == 2) {
        plan.step = std::pow(2.0, 1 / intervals);
    } else {
        plan.step = (sweep.fEnd - sweep.fStart) / intervals;
        if (!(plan.step > 0)) {
            log.AppendLog("Frequência final não supera a inicial: varredura de um só ponto, em %g.",
                          sweep.fStart);
            plan.maxPoints = 1;
        }
    }
    // Millions of rows would take hours and fill the disk: such a sweep is a typing error.
    const double rows = PlannedRows(plan);
    if (rows > MaxSweepRows) {
        log.AppendLog("Varredura longa demais: %.0f pontos (máximo %ld). Tabela não gerada.", rows,
                      MaxSweepRows);
        return false;
    }
    return true;
}

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

namespace {

constexpr long TracedPoints = 5; // the points whose traces and reports the log shows
constexpr long RingSize = 1024;  // points solved ahead of the row being written
constexpr int MinPointsForThreads = 64;

// What every point reads; fixed for the whole sweep (no window events run during it).
struct SweepContext {
    const Circuit& circuit;
    const AnalysisSettings& settings;
    double g0;
    bool hertz;
    TableUnits units;
};

// One point: the small-signal solution at sweep value f and its table row.
bool SolvePoint(const SweepContext& context, MnaSystem& mna, MessageLog& log, double f, long index,
                RowText& row)
{
    AcPoint point{f, AngularFrequency(f, context.hertz), index};
    if (!SolveAtFrequency(context.circuit, context.settings, context.g0, mna, log, point))
        return false;
    FormatRow(row, f, mna, context.circuit.variableCount, context.units);
    return true;
}

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

    // Writes every remaining row; false at a failed point, after the rows before it. written
    // counts the rows of the whole sweep.
    bool Run(ResultTable& table, MessageLog& log, long& written)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            PointSlot& slot = ring_[nextToWrite_ % RingSize];
            if (slot.state == SlotState::Solved || slot.state == SlotState::Failed) {
                lock.unlock();
                ReplayLog(slot.logText, log);
                if (slot.state == SlotState::Failed)
                    return false;
                table.WriteRow(slot.row);
                lock.lock();
                slot.state = SlotState::Free;
                written = ++nextToWrite_;
                changed_.notify_all();
            } else if (nextToWrite_ == nextIndex_ && !MorePoints()) {
                return true;
            } else if (!SolveNext(lock, workers_[0])) {
                changed_.wait(lock);
            }
        }
    }

private:
    bool MorePoints() const { return InSweep(plan_, nextIndex_, nextF_); }

    // Takes the next point and solves it, with the lock released meanwhile; false when there is
    // none to take now (end of the sweep, or the ring full).
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

// Solves and writes every point of the plan; false at a failed solve. written counts the rows.
bool WalkSweep(const SweepContext& context, const SweepPlan& plan, MnaSystem& mna, MessageLog& log,
               ResultTable& table, long& written)
{
    double f = plan.fStart;
    long index = 0;
    RowText row;
    for (; index < TracedPoints && InSweep(plan, index, f); ++index, f = NextFrequency(plan, f)) {
        if (!SolvePoint(context, mna, log, f, index, row))
            return false;
        table.WriteRow(row);
        written = index + 1;
    }
    if (!InSweep(plan, index, f))
        return true;
    // Threads pay off only for long sweeps.
    const int threadCount =
        AtLeastPoints(plan, f, index, MinPointsForThreads) ? SweepThreadCount() : 1;
    PointPipeline pipeline(context, plan, f, index, threadCount);
    return pipeline.Run(table, log, written);
}

} // namespace

void RunSweep(Analysis& analysis)
{
    Circuit& circuit = analysis.circuit;
    MessageLog& log = analysis.log;
    SweepPlan plan;
    if (!PlanSweep(circuit.sweep, log, plan)) {
        circuit.RunFailed = true;
        return;
    }
#ifdef TALVOR_FUZZ_LIMITS
    // Fuzzing builds only (fuzz/CMakeLists.txt): a few points, so every input ends quickly.
    if (plan.maxPoints > 40)
        plan.maxPoints = 40;
#endif

    log.AppendLog("Gerando tabela...");
    ResultTable table;
    if (!table.Create(circuit.tablePath)) {
        log.AppendLog("Não foi possível criar o arquivo %s.",
                      DisplayText(circuit.tablePath).c_str());
        circuit.RunFailed = true;
        return;
    }
    table.WriteHeader(circuit.nodeTable, circuit.variableCount);

    const AnalysisSettings& settings = analysis.Settings();
    const SweepContext context{circuit, settings, analysis.op.g0, settings.CBHz,
                               TableUnits{settings.CBdB, settings.CBgraus}};
    long rows = 0;
    bool solved = WalkSweep(context, plan, analysis.mna, log, table, rows);
    bool written = table.Close();
    if (!solved) {
        log.AppendLog("Cálculo interrompido.");
        circuit.RunFailed = true;
        const double f = FrequencyAt(plan, rows); // rows were written up to the failed point
        analysis.failure = {RunFailure::Kind::AcSolve, 0, f, AngularFrequency(f, settings.CBHz)};
    } else if (!written) {
        log.AppendLog("Erro ao escrever o arquivo %s.", DisplayText(circuit.tablePath).c_str());
        circuit.RunFailed = true;
    } else {
        log.AppendLog("Tabela escrita no arquivo %s com %ld pontos.",
                      DisplayText(circuit.tablePath).c_str(), rows);
    }
}
