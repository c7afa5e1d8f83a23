// The desktop program as one object: the five windows, the log, the analysis, and the host
// through which the analysis driver shows the settings, processes events and stops.
#pragma once

#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "app/about_box.h"
#include "app/main_window.h"
#include "app/settings_dialog.h"
#include "common/message_log.h"
#include "plot/curve_list_window.h"
#include "plot/curve_store.h"
#include "plot/graph_window.h"
#include "plot/plot_run.h"

namespace talvor {

struct MeasureScratch;
struct SteppedOutcome;
struct StepChoice;
class StepDialog;

// Numbers in the log, the tables and the fields use "." whatever the user's locale: Qt adopts
// the system locale on Unix, so this runs after the application object exists.
void UseCNumericLocale();

class TalvorApp final : public AnalysisHost {
public:
    // arguments: the command line after the program name. endProgram ends the application
    // normally (by default it leaves the event loop).
    explicit TalvorApp(std::vector<std::string> arguments = {},
                       std::function<void()> endProgram = {});
    ~TalvorApp() override;

    // The plotting state the curve list fills and the graph window draws, and the curve list's
    // options, which its controls keep current and the graph window reads.
    CurveStore curveStore;
    PlotOptions plotOptions;

    // The windows, created in this order; only the main window is shown.
    TForm1 form1;
    TForm2 form2;
    TForm3 form3;
    TForm4 form4;
    TForm5 form5;

    MessageLog log;
    Analysis analysis;

    // Shows the main window, within the screen's available area.
    void Show();
    bool Running() const { return running_; }

    // The menu's and the show event's actions. A SPICE deck is converted first, beside itself,
    // and its netlist analysed.
    void RunAnalysisFromOpenDialog();
    void HandleCommandLine();
    void MainWindowClosed();
    void RequestStop() { analysis.circuit.StopRequest = 1; }
    [[noreturn]] void TerminateNow();
    void ShowSettings();
    void ShowCurveList();
    void ShowAbout();
    // The graph window's "m": a measurement block per plotted curve in the log.
    void MeasurePlottedCurves();
    // "Variar parâmetro...": the dialog, filled from the netlist last opened.
    void ShowStepDialog();
    StepDialog* StepDialogWindow() const { return stepDialog_; }
    // Its "Executar": the stepped or Monte Carlo analysis of that netlist, every run's curve of
    // the chosen node in the curve list, plotted at once.
    void RunSteps(const StepChoice& choice);

    // AnalysisHost
    const AnalysisSettings& Settings() const override { return form2.Settings(); }
    bool WaitForSettings() override;
    void ProcessEvents() override;
    void SetStopEnabled(bool enabled) override;
    void HandOverTablePath(const std::string& tablePath) override;
    void SweepStarted(long plannedRows) override;
    void SweepRowsWritten(long rowsWritten) override;
    void SweepEnded() override;

    // Events are processed at most this often while the operating point iterates; the stop
    // request is still polled after every stamp.
    static constexpr int EventIntervalMs = 4;
    // A sweep shows its progress once it has run this long, then at most this often.
    static constexpr int ProgressDelayMs = 500;
    static constexpr int ProgressIntervalMs = 250;

private:
    // The netlist converted from the deck at path, or "" when it could not be (logged).
    std::string ConvertOpenedDeck(const std::string& path);
    // The netlist that "Variar parâmetro..." varies: the one last analysed.
    std::string SteppedNetlistPath() const;
    void PlotSteps(const SteppedOutcome& outcome, const std::string& node);

    std::vector<std::string> arguments_;
    std::function<void()> endProgram_;
    bool running_ = false;
    bool closing_ = false;
    bool commandLineHandled_ = false;
    QElapsedTimer lastEvents_;
    std::unique_ptr<MeasureScratch> measureScratch_; // made at the first measurement
    StepDialog* stepDialog_ = nullptr;               // made on first use, owned by form1
    // The units of the table that the running sweep writes, from its options.
    ResponseUnits sweepUnits_;
    bool sweepWroteTable_ = false; // since the last run handed its table over
    QElapsedTimer sweepClock_;
    qint64 progressShownAt_ = 0;
    long plannedRows_ = 0;
};

} // namespace talvor
