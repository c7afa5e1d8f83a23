// The Plot run of the curve list ("Plotar"), shared by the curve list window and talvor-plot.
#pragma once

#include <string>
#include <vector>

#include "plot/response_measures.h"

namespace talvor {

class CurveStore;
class MessageLog;

// The curve list's plot options, named by their controls, with the controls' defaults.
struct PlotOptions {
    bool CBnomes = true;    // columns given by name (else by number)
    bool CBfase = true;     // y columns ending in "f" are phases, on the fixed +/-180 scale
    bool CBescalas = false; // view limits from the four fields (else written into them)
    std::string Exmin = "0";
    std::string Exmax = "1";
    std::string Eymin = "-1";
    std::string Eymax = "1";
    int RGescala = 1;      // ScaleMode; "Log-Log"
    bool CBauto = false;   // each curve on its own scale
    bool CBmarcar = false; // a small square at every point
    // Round values along the axes, axis titles, a phase scale, legends in a box ("Divisões
    // numeradas"; key "n").
    bool CBdivisoes = false;
    // The units of the plotted tables, where known, for the axis titles: those of the last run's
    // options for its table (tableUnitsPath), or those stated for every table (empty path).
    ResponseUnits tableUnits;
    std::string tableUnitsPath;
};

// Reads the curve lines and their tables into the store, computes the ranges and exchanges the
// view limits with the four fields (only when a curve was accepted). Returns true (with plotReady set and pictureSaved cleared)
// when there is something to draw; every outcome is reported through log.
bool RunPlot(CurveStore& store, const std::vector<std::string>& curveLines, PlotOptions& options,
             MessageLog& log);

// The four limit texts scanned with "%lg" into the view limits, a decimal comma read as the point;
// a text that holds no finite number leaves its limit as it was. With a log, a text that is not
// one number alone is named there with the limit used.
void ReadLimitFields(CurveStore& store, const PlotOptions& fields, MessageLog* log = nullptr);

// "Usar estas escalas" on: fields that hold a number replace the computed limits; off: the
// computed limits are written into the fields with "%lg".
void ExchangeLimits(CurveStore& store, PlotOptions& options, MessageLog* log = nullptr);

} // namespace talvor
