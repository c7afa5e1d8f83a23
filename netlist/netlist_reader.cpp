// Placeholder until the reader lands.
#include "netlist/netlist_reader.h"

#include "common/message_log.h"

bool ReadNetlist(Circuit& circuit, MessageLog& log, const std::string& path, bool)
{
    circuit.Reset();
    log.AppendLog("Arquivo %s inexistente.", path.c_str());
    return false;
}
