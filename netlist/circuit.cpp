#include "netlist/circuit.h"

#include <cstring>

#include "common/message_log.h"

namespace talvor {

Circuit::Circuit() { Reset(); }

void Circuit::Reset()
{
    std::memset(elements, 0, sizeof elements);
    std::memset(&nodeTable, 0, sizeof nodeTable);
    std::strcpy(nodeTable.names[0], "0");
    elementCount = 0;
    nodeCount = 0;
    variableCount = 0;
    hasNonlinear = false;
    RunFailed = false;
    spiceDeckLine = 0;
    spiceDeckWord.clear();
}

int LookupNode(Circuit& circuit, MessageLog& log, const char* name)
{
    for (int k = 0; k <= circuit.variableCount; ++k)
        if (std::strcmp(circuit.nodeTable.names[k], name) == 0)
            return k;
    if (circuit.variableCount >= MaxVariables) {
        log.AppendLog("O programa só aceita até %d nós.", MaxNodes);
        circuit.RunFailed = true;
        return MaxVariables;
    }
    ++circuit.variableCount;
    std::strncpy(circuit.nodeTable.names[circuit.variableCount], name, VariableNameSize - 1);
    circuit.nodeTable.names[circuit.variableCount][VariableNameSize - 1] = '\0';
    return circuit.variableCount;
}

} // namespace talvor
