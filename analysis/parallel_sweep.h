// The points of a long sweep solved on several threads and written in sweep order.
#pragma once

#include "analysis/result_table.h"
#include "analysis/sweep.h"

namespace talvor {

// Worker threads for the sweep: TALVOR_THREADS when set to a positive number, else the
// machine's hardware threads.
int SweepThreadCount();

// Solves and writes the points of the plan from value f and index on, on the context's threads
// (SweepThreadCount when it sets none) when enough points are left to pay for them, else on the
// calling thread. Each point's log lines reach log in sweep order; Failed at a failed point and
// Stopped at a stop request (every thread looks at it before it takes a point), after the rows
// before it. Every row written is counted in progress, on the calling thread.
SweepEnd WriteRemainingPoints(const SweepContext& context, const SweepPlan& plan, double f,
                              long index, ResultTable& table, MessageLog& log,
                              SweepProgress& progress);

} // namespace talvor
