// The analysis driver: one run from the netlist to the result table.
#pragma once

#include <string>

namespace talvor {

class Analysis;

// The whole run for the netlist at path: read, settle the sweep, operating point, sweep, report.
void RunAnalysis(Analysis& analysis, const std::string& netlistPath);

} // namespace talvor
