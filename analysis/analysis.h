// The analysis state that lives for the whole program: the circuit, the equation system, the
// operating-point iterate, the restart generator, and the log and host it reports through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/mna_system.h"
#include "analysis/operating_point.h"
#include "netlist/circuit.h"
#include "netlist/netlist_reader.h"

namespace talvor {

class AnalysisHost;
class MessageLog;
struct AnalysisSettings;

// The 15-bit linear congruential generator of the operating point's restarts: state 1 at
// program start, never reseeded, continued from run to run.
class RandomGenerator {
public:
    int Next()
    {
        state_ = state_ * 22695477u + 1u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    std::uint32_t state_ = 1;
};

// What a phase leaves for the diagnosis when it fails; written only on the failure paths.
struct RunFailure {
    enum class Kind {
        None,
        DcStamp,       // an element's DC stamp raised an arithmetic fault
        DcSolve,       // the operating point's system had a zero pivot (or overflowed)
        DcConvergence, // the operating point gave up after its restarts
        AcSolve,       // a sweep point failed
    };
    Kind kind = Kind::None;
    int unknown = 0;  // DcConvergence: the unknown of the largest change
    double f = 0;     // AcSolve: the point's sweep value
    double omega = 0; // AcSolve: its angular frequency
};

// What a run changes of its netlist: a stepped or drawn run replaces values as the netlist is
// read and writes its own table. Empty for an ordinary run.
struct RunVariation {
    std::vector<ValueOverride> values;
    std::string tablePath; // empty: the netlist's own
};

class Analysis {
public:
    Analysis(MessageLog& messageLog, AnalysisHost& programHost) : log(messageLog), host(programHost)
    {}

    const AnalysisSettings& Settings() const;

    MessageLog& log;
    AnalysisHost& host;
    Circuit circuit;
    MnaSystem mna;
    OperatingPoint op;
    RandomGenerator random;
    RunFailure failure; // what the failed phase left for the diagnosis
    // Whether the operating point's last solve met a small pivot: after a successful run the
    // diagnosis looks for unknowns that the circuit leaves undetermined.
    bool dcSmallPivot = false;
    RunVariation variation;
    int sweepThreads = 0; // the most threads the sweep may use; 0: SweepThreadCount()
};

} // namespace talvor
