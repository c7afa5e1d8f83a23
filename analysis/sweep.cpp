// The frequency sweep: plans the points, solves the small-signal system at each and writes one
// table row per point. After the first five points (which may print traces and reports) the
// points are independent, so they are solved in batches on several threads, each with its own
// equation system and log buffer, and written and reported in their order.
#include "analysis/sweep.h"

#include <atomic>
#include <barrier>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
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
        log.AppendLog("Varredura longa demais: %.0f pontos (máximo %ld). Tabela não gerada.",
                      rows, MaxSweepRows);
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

constexpr long TracedPoints = 5;  // the points whose traces and reports the log shows
constexpr int BatchSize = 256;    // points solved between two writes
constexpr int ChunkSize = 4;      // points a thread takes at a time
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
    AcPoint point{f, context.hertz ? 6.283185307179586 * f : f, index};
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

struct PointSlot {
    double f = 0;
    long index = 0;
    bool solved = false;
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

// Solves batches of points on the calling thread and threadCount − 1 helpers.
class BatchSolver {
public:
    BatchSolver(const SweepContext& context, PointSlot* slots, int threadCount)
        : context_(context), slots_(slots), workers_(threadCount), sync_(threadCount)
    {
        for (int w = 1; w < threadCount; ++w) {
            try {
                threads_.emplace_back([this, w] { HelperLoop(workers_[w]); });
            } catch (const std::system_error&) {
                sync_.arrive_and_drop(); // the system refused a thread: go on with fewer
            }
        }
    }

    ~BatchSolver()
    {
        stopping_ = true;
        if (!threads_.empty())
            sync_.arrive_and_wait();
        for (std::thread& thread : threads_)
            thread.join();
    }

    BatchSolver(const BatchSolver&) = delete;
    BatchSolver& operator=(const BatchSolver&) = delete;

    // Solves slots[0, count).
    void Solve(int count)
    {
        count_ = count;
        next_ = 0;
        if (!threads_.empty())
            sync_.arrive_and_wait();
        SolveShare(workers_[0]);
        if (!threads_.empty())
            sync_.arrive_and_wait();
    }

private:
    void HelperLoop(Worker& worker)
    {
        for (;;) {
            sync_.arrive_and_wait();
            if (stopping_)
                return;
            SolveShare(worker);
            sync_.arrive_and_wait();
        }
    }

    void SolveShare(Worker& worker)
    {
        for (;;) {
            int first = next_.fetch_add(ChunkSize);
            if (first >= count_)
                return;
            int end = first + ChunkSize < count_ ? first + ChunkSize : count_;
            for (int k = first; k < end; ++k) {
                PointSlot& slot = slots_[k];
                slot.logText.clear();
                worker.sink.target = &slot.logText;
                slot.solved = SolvePoint(context_, worker.mna, worker.log, slot.f, slot.index,
                                         slot.row);
            }
        }
    }

    const SweepContext& context_;
    PointSlot* slots_;
    std::vector<Worker> workers_;
    std::vector<std::thread> threads_;
    std::barrier<> sync_;
    std::atomic<int> next_{0};
    int count_ = 0;
    bool stopping_ = false;
};

// Walks the planned points, solving each and writing its row: Run is false at a failed solve,
// Written counts the rows written.
class SweepWalk {
public:
    SweepWalk(const SweepContext& context, const SweepPlan& plan, ResultTable& table)
        : context_(context), plan_(plan), table_(table)
    {
    }

    bool Run(MnaSystem& mna, MessageLog& log)
    {
        RowText row;
        for (; index_ < TracedPoints && InSweep(plan_, index_, f_); Advance()) {
            if (!SolvePoint(context_, mna, log, f_, index_, row))
                return false;
            table_.WriteRow(row);
        }
        if (!InSweep(plan_, index_, f_))
            return true;
        return RunInBatches(log);
    }

    long Written() const { return index_; }

private:
    void Advance()
    {
        f_ = NextFrequency(plan_, f_);
        ++index_;
    }

    bool RunInBatches(MessageLog& log)
    {
        auto slots = std::make_unique<PointSlot[]>(BatchSize);
        int count = FillBatch(slots.get());
        // Threads pay off only for long sweeps.
        int threadCount = count >= MinPointsForThreads ? SweepThreadCount() : 1;
        BatchSolver solver(context_, slots.get(), threadCount);
        while (count > 0) {
            solver.Solve(count);
            if (!WriteBatch(slots.get(), count, log))
                return false;
            count = FillBatch(slots.get());
        }
        return true;
    }

    // The frequencies of the next points, from the walk's position (which does not move yet).
    int FillBatch(PointSlot* slots) const
    {
        double f = f_;
        long index = index_;
        int count = 0;
        for (; count < BatchSize && InSweep(plan_, index, f); ++count, ++index) {
            slots[count].f = f;
            slots[count].index = index;
            f = NextFrequency(plan_, f);
        }
        return count;
    }

    // Replays each point's log lines and writes its row, in order, up to a failed point.
    bool WriteBatch(const PointSlot* slots, int count, MessageLog& log)
    {
        for (int k = 0; k < count; ++k) {
            const PointSlot& slot = slots[k];
            ReplayLog(slot.logText, log);
            if (!slot.solved)
                return false;
            table_.WriteRow(slot.row);
            Advance();
        }
        return true;
    }

    static void ReplayLog(const std::string& lines, MessageLog& log)
    {
        for (size_t start = 0; start < lines.size();) {
            size_t end = lines.find('\0', start);
            log.AppendLog("%s", lines.c_str() + start);
            start = end + 1;
        }
    }

    const SweepContext& context_;
    const SweepPlan& plan_;
    ResultTable& table_;
    double f_ = plan_.fStart;
    long index_ = 0;
};

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
    SweepWalk walk(context, plan, table);
    bool solved = walk.Run(analysis.mna, log);
    bool written = table.Close();
    if (!solved) {
        log.AppendLog("Cálculo interrompido.");
        circuit.RunFailed = true;
    } else if (!written) {
        log.AppendLog("Erro ao escrever o arquivo %s.",
                      DisplayText(circuit.tablePath).c_str());
        circuit.RunFailed = true;
    } else {
        log.AppendLog("Tabela escrita no arquivo %s com %ld pontos.",
                      DisplayText(circuit.tablePath).c_str(), walk.Written());
    }
}
