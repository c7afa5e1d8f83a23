// What the analysis driver needs from the program that hosts it (windows or command line).
#pragma once

#include <string>

#include "analysis/analysis_settings.h"

namespace talvor {

class AnalysisHost {
public:
    virtual ~AnalysisHost() = default;

    // The settings as they stand now; read at each moment of use.
    virtual const AnalysisSettings& Settings() const = 0;

    // Shows the settings dialog and returns when "Aplicar" was pressed; false when the program
    // is closing and the run must be abandoned.
    virtual bool WaitForSettings() = 0;

    // Lets pending window messages be processed (after each element's stamp in the operating
    // point); the stop request is polled right after.
    virtual void ProcessEvents() = 0;

    // "Parar análise" is enabled only while the operating point or the sweep is computed.
    virtual void SetStopEnabled(bool enabled) = 0;

    // After every run whose netlist was read: the table path for the curve list.
    virtual void HandOverTablePath(const std::string& tablePath) = 0;

    // A sign of life during a long sweep, on the thread that writes the table: the sweep starts
    // with about plannedRows rows (a sweep per decade or octave may write one more or less),
    // reports the rows written every SweepProgress::ReportEvery rows, and ends, whatever the
    // outcome. Nothing by default.
    virtual void SweepStarted(long plannedRows) { (void)plannedRows; }
    virtual void SweepRowsWritten(long rowsWritten) { (void)rowsWritten; }
    virtual void SweepEnded() {}
};

// A host without windows: its own settings, "Aplicar" pressed at once, no events to process and
// no stop entry. The command-line program, the benchmarks and the fuzz target run with it.
class HeadlessHost : public AnalysisHost {
public:
    const AnalysisSettings& Settings() const override { return settings; }
    bool WaitForSettings() override { return true; }
    void ProcessEvents() override {}
    void SetStopEnabled(bool) override {}
    void HandOverTablePath(const std::string&) override {}

    AnalysisSettings settings;
};

} // namespace talvor
