// Reads a netlist file into the Circuit, echoing every element and reporting every error.
#pragma once

#include <span>
#include <string>

#include "netlist/circuit.h"

namespace talvor {

class MessageLog;

// A value that replaces the netlist's in every element of that name: a slot of its type's table,
// in the unit the line gives it (a source's phase in degrees).
struct ValueOverride {
    std::string element; // as stored: the type letter in upper case, the rest as written
    int slot = 0;
    double value = 0;
};

// Resets and fills the circuit from the netlist at path (".net" appended when the file name has
// no "."). ignoreAcLine: take the sweep from the settings even when a ".AC" line is present.
// overrides replace the values scanned from the lines before the echo shows them, so the echo
// and everything computed from them (a coupling's mutual inductance) see the replaced values.
// Returns false when the analysis cannot go on; every failure has been logged.
bool ReadNetlist(Circuit& circuit, MessageLog& log, const std::string& path, bool ignoreAcLine,
                 std::span<const ValueOverride> overrides = {});

// The netlist path as opened and the table path, by the file-name rules of the reader.
struct NetlistPaths {
    std::string netlistPath;
    std::string tablePath;
};
NetlistPaths NetlistPathsFor(const std::string& path);

} // namespace talvor
