// The frequency sweep: the checked plan of its points (step, end limit, point bound), the step
// from one point to the next, and RunSweep, which solves every point and writes the table.
#pragma once

#include "analysis/analysis_host.h"
#include "analysis/mna_system.h"
#include "analysis/result_table.h"
#include "netlist/circuit.h"

namespace talvor {

class Analysis;
class MessageLog;
struct AnalysisSettings;

struct SweepPlan {
    bool geometric = false; // per decade or per octave: f is multiplied by step
    double fStart = 0;
    double step = 0;     // ratio (geometric) or increment (linear)
    double endLimit = 0; // the walk goes on while f is below it
    long maxPoints = 0;  // never more rows than this
};

// Settles the sweep before the table is created: a start of 0 makes it linear (kept in the
// SweepSpec); sweeps that could not end are refused (false, with a log line) or reduced to one
// point at the start (with a log line).
bool PlanSweep(SweepSpec& sweep, MessageLog& log, SweepPlan& plan);

// The frequency after f.
inline double NextFrequency(const SweepPlan& plan, double f)
{
    return plan.geometric ? f * plan.step : f + plan.step;
}

// The value of the point with this index (from 0), walked as the sweep walks it.
inline double FrequencyAt(const SweepPlan& plan, long index)
{
    double f = plan.fStart;
    for (long k = 0; k < index; ++k)
        f = NextFrequency(plan, f);
    return f;
}

// The angular frequency of sweep value f, in hertz or already in rad/s.
inline double AngularFrequency(double f, bool hertz) { return hertz ? 6.283185307179586 * f : f; }

// Whether the point with this index (from 0) and value f belongs to the sweep.
inline bool InSweep(const SweepPlan& plan, long index, double f)
{
    return index == 0 || (index < plan.maxPoints && f < plan.endLimit);
}

// Counts the rows a sweep writes and reports them to the host every ReportEvery rows; the host
// hears of the start at construction and of the end at destruction.
class SweepProgress {
public:
    static constexpr long ReportEvery = 128;
    SweepProgress(AnalysisHost& host, long plannedRows) : host_(host)
    {
        host_.SweepStarted(plannedRows);
    }
    ~SweepProgress() { host_.SweepEnded(); }
    SweepProgress(const SweepProgress&) = delete;
    SweepProgress& operator=(const SweepProgress&) = delete;

    void RowWritten()
    {
        if (++rows_ % ReportEvery == 0)
            host_.SweepRowsWritten(rows_);
    }
    long Rows() const { return rows_; }

private:
    AnalysisHost& host_;
    long rows_ = 0;
};

// What every point of a sweep reads; fixed for the whole sweep: the settings are the sweep's own
// copy, so a change in the dialog meanwhile applies from the next run.
struct SweepContext {
    const Circuit& circuit;
    const AnalysisSettings& settings;
    double g0;
    bool hertz;
    TableUnits units;
    int threads = 0; // the most threads the sweep may use; 0: SweepThreadCount()
};

// One point: the small-signal solution at sweep value f and its table row. False on a failed
// solve, already logged.
bool SolvePoint(const SweepContext& context, MnaSystem& mna, MessageLog& log, double f, long index,
                RowText& row);

// How a sweep ended.
enum class SweepEnd {
    Written, // every row, and the line that says so
    Failed,  // no table, or a point that could not be solved ("Cálculo interrompido.")
    Stopped, // the StopRequest: "Cálculo interrompido." and the rows kept, counted in the log
};

// Whether the stop was requested ("Parar análise", or a signal to talvor-cli); any thread may ask.
inline bool StopRequested(const Circuit& circuit)
{
    return circuit.StopRequest.load(std::memory_order_relaxed) != 0;
}

// Walks the sweep and writes the result table, with "Parar análise" enabled meanwhile. Unless
// every row was written, sets RunFailed.
SweepEnd RunSweep(Analysis& analysis);

} // namespace talvor
