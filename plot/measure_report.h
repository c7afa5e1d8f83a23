// The lines of a measurement block, in Portuguese, with "%g" numbers.
#pragma once

namespace talvor {

class MessageLog;
struct ResponseMeasures;
struct SettledUnits;

// The text that stands for a quantity the sweep does not reach.
inline constexpr char NotFoundText[] = "não encontrado";

// Logs the body of a block (the caller logs its title first): the units, then one line per
// quantity, "não encontrado" for those the sweep does not reach.
void LogMeasures(MessageLog& log, const ResponseMeasures& measures, const SettledUnits& units);

} // namespace talvor
