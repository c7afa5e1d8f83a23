// What the benchmarks share: a log that drops its lines, clocks in milliseconds and the median
// of a round's figures.
#pragma once

#include <time.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "common/message_log.h"

namespace talvor {

class NullSink : public MessageSink {
public:
    void WriteLine(std::string_view) override {}
};

inline double MilliSeconds(clockid_t clock)
{
    timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Elapsed time, and the processor time of every thread of the process.
inline double WallMs() { return MilliSeconds(CLOCK_MONOTONIC); }
inline double CpuMs() { return MilliSeconds(CLOCK_PROCESS_CPUTIME_ID); }

// The middle value; of an even count, the mean of the two middle ones.
inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace talvor
