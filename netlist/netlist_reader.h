// Reads a netlist file into the Circuit, echoing every element and reporting every error.
#pragma once

#include <string>

#include "netlist/circuit.h"

namespace talvor {

class MessageLog;

// Resets and fills the circuit from the netlist at path (".net" appended when the file name has
// no "."). ignoreAcLine: take the sweep from the settings even when a ".AC" line is present.
// Returns false when the analysis cannot go on; every failure has been logged.
bool ReadNetlist(Circuit& circuit, MessageLog& log, const std::string& path, bool ignoreAcLine);

// The netlist path as opened and the table path, by the file-name rules of the reader.
struct NetlistPaths {
    std::string netlistPath;
    std::string tablePath;
};
NetlistPaths NetlistPathsFor(const std::string& path);

} // namespace talvor
