// The command line of talvor-plot: the curve list's plot options as flags, the file of curve
// lines, and the picture's name and size.
#pragma once

#include <cstdio>
#include <string>

#include "plot/plot_run.h"
#include "plot/response_measures.h"

namespace talvor {

struct PlotCommand {
    PlotOptions options;    // the curve list's defaults, changed by the options
    std::string curvesPath; // "-" for standard input
    std::string outputPath;
    int width = 761; // the graph window's drawing area
    int height = 471;
    bool measure = false;       // a measurement block for every curve after the Plot run
    ResponseUnits measureUnits; // the tables' units as the user states them; unknown by default
    double pixelRatio = 1;      // pixels per unit of the size: a dense screen's picture
    bool showHelp = false;
};

// Fills command from the arguments after the program name; false (with the reason written to
// errors) for an unknown option, a malformed value, a missing "-o" or a missing or extra file of
// curve lines.
bool ParsePlotCommandLine(int argc, char** argv, PlotCommand& command, std::FILE* errors);

// The usage line and every option with its meaning.
void PrintPlotUsage(std::FILE* out);

} // namespace talvor
