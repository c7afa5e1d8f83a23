// What the user asks of a stepped or Monte Carlo analysis, as typed on the command line or in
// the desktop's dialog: the value lists and the tolerances parsed, not yet looked up in a netlist.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvor {

// The most runs one request may ask for: each writes a table of its own.
inline constexpr int MaxStepRuns = 1000;

// "R1" (the element's main value) or "Q1.VA" (a value by its name in the element's type). A
// tolerance may also name a type letter alone, "R" or "Q.VA", for every element of that type.
struct ValueTarget {
    std::string name; // the element's name, its type letter in upper case
    std::string slot; // empty: the main value
};

enum class Distribution {
    Uniform, // anywhere within the tolerance, equally likely
    Gauss,   // normal, the tolerance being three standard deviations
};

struct Tolerance {
    ValueTarget target;
    double fraction = 0; // "5%" is 0.05
};

struct StepRequest {
    // Steps: one value of the target per run, in run order.
    ValueTarget target;
    std::vector<double> values;
    // Monte Carlo, when runs > 0: every value that a tolerance names drawn anew in each run.
    std::vector<Tolerance> tolerances;
    int runs = 0;
    Distribution distribution = Distribution::Uniform;
    std::uint64_t seed = 1;

    bool IsMonteCarlo() const { return runs > 0; }
};

// "R1", "q1.VA": the type letter is taken in upper case, as the reader stores names. False for
// an empty name or slot.
bool ParseValueTarget(std::string_view text, ValueTarget& target);

// The values of a step list, in order:
//   "1000,2200,4700"     the values given
//   "lin:START:END:N"    N values evenly spaced from START to END
//   "dec:START:END:N"    N values per decade from START up to END, counting both ends of a
//   "oct:START:END:N"    decade (or octave) as the sweep's points do: dec:1:100:3 is 1, 3.16,
//                        10, 31.6, 100
// Numbers are plain decimals, without suffixes. False for a malformed list, a range that cannot
// be walked, or more than MaxStepRuns values.
bool ParseValueList(std::string_view text, std::vector<double>& values);

// "ELEMENT:LIST" (or "ELEMENT.SLOT:LIST") into the request's target and values.
bool ParseStepOption(std::string_view text, StepRequest& request);

// "R:5%,C:10%,R1:2%,Q1.VA:20%": a type letter or an element, then the tolerance in percent (the
// "%" may be left out); appended to tolerances. False for a malformed item or a negative or
// infinite tolerance.
bool ParseTolerances(std::string_view text, std::vector<Tolerance>& tolerances);

// "uniform" or "gauss".
bool ParseDistribution(std::string_view text, Distribution& distribution);

// A count of Monte Carlo runs, 1 to MaxStepRuns.
bool ParseRunCount(std::string_view text, int& runs);

// A seed: a whole number from 0 to 2^64 - 1.
bool ParseSeed(std::string_view text, std::uint64_t& seed);

} // namespace talvor
