// Measurements of responses kept in tables: an unknown of a table written by the sweep (for
// talvor-cli), and every curve of a Plot run with the phase column that goes with it.
#pragma once

#include <string>

#include "plot/curve_store.h"
#include "plot/response_measures.h"
#include "plot/table_reader.h"

namespace talvor {

class MessageLog;

// The columns of one response read from a table: MaxPoints slots each, reserved once and
// reused by every measurement.
struct MeasureScratch {
    PointSlots frequency;
    PointSlots magnitude;
    PointSlots phase;
    LineReader reader;
};

enum class TableRead { Read, NoTable, NoUnknown };

// Reads the columns "f", name + "m" and name + "f" of a table written by the sweep into scratch
// and points (at most MaxPoints rows; truncated tells whether more were left).
TableRead ReadTableUnknown(const char* tablePath, const char* name, MeasureScratch& scratch,
                           ResponsePoints& points, bool& truncated);

// Measures the unknown name of a table written by the sweep (columns "f", name + "m" and
// name + "f"), in the stated units, logs its block and, with measures, keeps what it says there.
// False (after one line saying why) when the table cannot be read or has no such unknown.
bool MeasureTableUnknown(const char* tablePath, const char* name, const ResponseUnits& units,
                         MeasureScratch& scratch, MessageLog& log,
                         ResponseMeasures* measures = nullptr);

// A table whose units are known because this program has just written it.
struct WrittenTable {
    std::string path; // empty: none
    ResponseUnits units;
};

// Logs a block for every curve of the last Plot run: its points as plotted, and the phase from
// the column that its table's header pairs with the y column ("2m" with "2f"). A curve of the
// written table (the same file, by whatever path) takes that table's units; on the others, units
// that are not stated are settled by the rule of SettleUnits.
void MeasureCurves(const CurveStore& store, const ResponseUnits& units, MeasureScratch& scratch,
                   MessageLog& log, const WrittenTable& written = {});

} // namespace talvor
