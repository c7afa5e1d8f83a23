// Fuzz target: any bytes as a netlist file. The reader must log its way to success or failure,
// and a circuit it accepts must hold only node, element and unknown numbers within the tables.
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "netlist/netlist_reader.h"

using namespace talvor;

namespace {

bool InRange(int k, int low, int high) { return k >= low && k <= high; }

// The numbers an accepted circuit hands to the analysis, which indexes its tables with them.
void CheckCircuit(const Circuit& circuit)
{
    const int n = circuit.variableCount;
    if (!InRange(circuit.elementCount, 0, MaxElements) || !InRange(n, 0, MaxVariables) ||
        !InRange(circuit.nodeCount, 0, n))
        std::abort();
    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        if (e.Type() == 'K') {
            if (!InRange(e.a, 1, k - 1) || !InRange(e.b, 1, k - 1) || !InRange(e.x, 1, n) ||
                !InRange(e.y, 1, n))
                std::abort();
            continue;
        }
        for (int node : {e.a, e.b, e.c, e.d})
            if (!InRange(node, 0, circuit.nodeCount))
                std::abort();
        const bool ownsCurrent = std::strchr("VEFOLAH", e.Type()) != nullptr;
        if (ownsCurrent && !InRange(e.x, circuit.nodeCount + 1, n))
            std::abort();
        if (e.Type() == 'H' && !InRange(e.y, circuit.nodeCount + 1, n))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    static const std::string path = ScratchDir() + "/reader.net";
    static Circuit circuit;
    WriteScratchFile(path, data, size);
    CheckingSink sink(true);
    MessageLog log(sink);
    bool ignoreAcLine = size > 0 && (data[size - 1] & 1) != 0;
    if (ReadNetlist(circuit, log, path, ignoreAcLine))
        CheckCircuit(circuit);
    if (sink.lines == 0)
        std::abort(); // every reading says something
    return 0;
}
