// The envelope of the tables of a Monte Carlo analysis: per frequency, the minimum, the median and
// the maximum of every column over the runs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace talvor {

class MessageLog;

// Reads the tables (written by the sweep with the same options: the same header and the same
// frequencies) and writes at path a table with the first column ("f") and, for every other
// column NAME, the columns minNAME, medNAME and maxNAME: "2m" gives min2m, med2m and max2m, and a
// phase column "2f" gives min2f, med2f and max2f, which the plotter again takes for phases. The
// median of an even count is the mean of the two middle values.
//
// A phase wraps at a half turn (halfTurn: 180 for degrees, pi for radians), so the phases of a
// point are taken around the first table's, each within a half turn of it: a spread across
// +/-180 degrees stays one band, whose limits may then lie a little beyond +/-180.
//
// The tables are read a block of rows at a time, about blockValues numbers in all, so that
// memory stays bounded whatever their count and length. False, after one log line saying why,
// when a table cannot be read, does not match the first, or the envelope cannot be written.
inline constexpr size_t EnvelopeBlockValues = size_t{1} << 22;
bool WriteEnvelope(const std::vector<std::string>& tables, const std::string& path, double halfTurn,
                   MessageLog& log, size_t blockValues = EnvelopeBlockValues);

} // namespace talvor
