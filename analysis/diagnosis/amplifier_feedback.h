// Whether an ideal amplifier's output reaches its inputs through the rest of the circuit, at the
// point where a failed system was built: the test behind a claim that it has no feedback.
#pragma once

#include <vector>

#include "analysis/diagnosis/failed_system.h"
#include "netlist/circuit.h"

namespace talvor {

struct AmplifierFeedback {
    enum class Kind {
        Follower,        // the output is one of the inputs
        Conducting,      // a path of elements that conduct at this point leads back
        OnlyThroughOpen, // every path back crosses a capacitor, open at this point
        None,            // nothing leads from the output to the inputs
    };
    Kind kind = Kind::None;
    std::vector<int> open; // OnlyThroughOpen: the open capacitors on those paths
};

// Follows the influence of the output of amplifier (an element number) through every other
// element: two-terminal elements, devices and two-ports carry it both ways, controlled sources
// and amplifiers only from their control or input terminals to their output, and current sources
// not at all; ground carries nothing.
AmplifierFeedback FindFeedback(const Circuit& circuit, FailedSystem& system, int amplifier);

} // namespace talvor
