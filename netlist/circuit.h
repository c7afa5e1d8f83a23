// The one in-memory circuit: element table, node/variable names, counts, sweep and run flags.
#pragma once

#include <atomic>
#include <string>

namespace talvor {

class MessageLog;

inline constexpr int MaxElements = 200; // elements 1..200; slot 0 unused
inline constexpr int MaxVariables = 50; // unknowns 1..50; 0 is ground
inline constexpr int MaxNodes = 50;     // non-ground nodes 1..50
inline constexpr int ElementNameLength = 10;
inline constexpr int NodeNameLength = 10;
inline constexpr int VariableNameSize = 13; // "jx"/"jy" + 10 characters + terminator
inline constexpr int ValueSlots = 20;
inline constexpr long MaxSweepRows = 1000000; // the most rows a sweep may write

struct Element {
    char name[ElementNameLength + 1]; // first character is the upper-case type letter
    double values[ValueSlots];        // netlist values, then operating-point values
    int a, b, c, d;                   // nodes (for K: element numbers of the two inductors)
    int x, y;                         // extra-current unknowns; Q/M: y is the type letter,
                                      // M: x is the MOS orientation
    char Type() const { return name[0]; }
    // Q and M: an npn or n-channel transistor (y holds the type letter, N or P).
    bool IsNType() const { return y == 'N'; }
};

struct NodeTable {
    char names[MaxVariables + 1][VariableNameSize]; // by unknown number; slot 0 is "0"
    const char* operator[](int k) const { return names[k]; }
};

struct SweepSpec {
    int mode = 0;   // 0 linear, 1 per decade, 2 per octave
    int points = 0; // in total (linear) or per decade/octave
    double fStart = 0;
    double fEnd = 0;
};

struct Circuit {
    Element elements[MaxElements + 1];
    int elementCount = 0;
    int nodeCount = 0;
    int variableCount = 0;
    NodeTable nodeTable;
    bool hasNonlinear = false;
    SweepSpec sweep;
    bool useSettingsSweep = true;
    std::string netlistPath;
    std::string tablePath;
    // The first line that only a SPICE deck would hold (".end", ".model", a "+" continuation),
    // 0 when none: the run ends by pointing to the converter.
    int spiceDeckLine = 0;
    std::string spiceDeckWord;

    // Run flags: RunFailed is set by any phase that fails; StopRequest by "Parar análise" (or a
    // signal to talvor-cli), and read by every thread of the sweep.
    bool RunFailed = false;
    std::atomic<int> StopRequest = 0;

    Circuit();

    // Clears what a new reading starts from, including every element record, so nothing a
    // previous run left can leak into this one.
    void Reset();

    Element& element(int k) { return elements[k]; }
    const Element& element(int k) const { return elements[k]; }
};

// Number of a node name, adding it to the node table when new. When the table already holds 50
// unknowns, logs "O programa só aceita até %d nós.", sets RunFailed and returns 50.
int LookupNode(Circuit& circuit, MessageLog& log, const char* name);

} // namespace talvor
