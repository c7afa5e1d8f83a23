// The desktop program's wiring: runs, the command line, and the analysis host.
#include "app/talvor_app.h"

#include <QApplication>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "analysis/run_analysis.h"
#include "app/qt_portuguese.h"
#include "app/step_dialog.h"
#include "app/sweep_units.h"
#include "plot/measure_tables.h"
#include "plot/screen_fit.h"
#include "spice/convert_file.h"
#include "steps/stepped_analysis.h"

namespace talvor {

namespace {

void RaiseWindow(QWidget& window)
{
    FitIntoScreen(window); // a small screen: the window opens within it
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

void UseCNumericLocale()
{
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

TalvorApp::TalvorApp(std::vector<std::string> arguments, std::function<void()> endProgram)
    : form1(*this), form4(curveStore, plotOptions, log), // log is only used once the program runs
      form5(curveStore, plotOptions), log(form1.LogSink()), analysis(log, *this),
      arguments_(std::move(arguments)), endProgram_(std::move(endProgram))
{
    UseCNumericLocale();
    UsePortugueseQtTexts();
    QObject::connect(&form4, &TForm4::PlotReady, &form5, &TForm5::ShowPlot);
    QObject::connect(&form4, &TForm4::PlotFailed, &form5, &TForm5::ShowNothingToPlot);
    QObject::connect(&form5, &TForm5::MeasureRequested, [this] { MeasurePlottedCurves(); });
    QObject::connect(&form5, &TForm5::NumberedDivisionsToggleRequested, &form4,
                     &TForm4::ToggleNumberedDivisions);
    QObject::connect(&form4, &TForm4::NumberedDivisionsChanged, &form5, &TForm5::Redraw);
    if (!endProgram_)
        endProgram_ = [] { QCoreApplication::exit(0); };
}

TalvorApp::~TalvorApp() = default;

std::string TalvorApp::ConvertOpenedDeck(const std::string& path)
{
    log.AppendLog("%s", "");
    log.AppendLog("Convertendo o deck %s:", path.c_str());
    const std::string netlist = ConvertDeckFile(path, "", log);
    analysis.circuit.RunFailed = netlist.empty();
    return netlist;
}

void TalvorApp::RunAnalysisFromOpenDialog()
{
    if (running_)
        return;
    running_ = true;
    form1.SetRunning(true);
    form1.FollowLog();
    std::string path = QFile::encodeName(form1.OpenDialogFileName()).toStdString();
    if (IsDeckPath(path))
        path = ConvertOpenedDeck(path);
    if (!path.empty())
        RunAnalysis(analysis, path);
    form1.SetRunning(false);
    running_ = false;
}

void TalvorApp::HandleCommandLine()
{
    if (commandLineHandled_ || arguments_.empty())
        return;
    commandLineHandled_ = true;
    form1.SetOpenDialogFileName(QFile::decodeName(arguments_[0].c_str()));
    RunAnalysisFromOpenDialog();
    if (arguments_.size() >= 2 && arguments_[1] == "t")
        endProgram_();
}

void TalvorApp::MainWindowClosed()
{
    if (closing_)
        return;
    closing_ = true;
    RequestStop(); // a run in its operating point stops; a wait for "Aplicar" ends
    endProgram_();
}

void TalvorApp::TerminateNow()
{
    std::fflush(nullptr);
    std::_Exit(0);
}

void TalvorApp::Show()
{
    FitIntoScreen(form1);
    form1.show();
}

void TalvorApp::ShowSettings() { RaiseWindow(form2); }

void TalvorApp::MeasurePlottedCurves()
{
    if (!measureScratch_)
        measureScratch_ = std::make_unique<MeasureScratch>();
    // A table does not say its units: those of the last sweep's are known; elsewhere the values
    // settle them, and each block says so.
    form1.FollowLog();
    MeasureCurves(curveStore, ResponseUnits{}, *measureScratch_, log,
                  {plotOptions.tableUnitsPath, plotOptions.tableUnits});
}

void TalvorApp::ShowCurveList() { RaiseWindow(form4); }

std::string TalvorApp::SteppedNetlistPath() const
{
    // The netlist the last run read, which for a SPICE deck is its conversion; before any run,
    // the name in the open dialog.
    if (!analysis.circuit.netlistPath.empty())
        return analysis.circuit.netlistPath;
    return QFile::encodeName(form1.OpenDialogFileName()).toStdString();
}

void TalvorApp::ShowStepDialog()
{
    if (stepDialog_ == nullptr) {
        stepDialog_ = new StepDialog(&form1);
        stepDialog_->run = [this](const StepChoice& choice) { RunSteps(choice); };
    }
    stepDialog_->Load(SteppedNetlistPath(), Settings().CBignorar);
    RaiseWindow(*stepDialog_);
}

namespace {

// While the runs go on, the windows stay drawn and "Parar análise" can be chosen; "Abrir" and
// "Variar parâmetro..." wait for the end.
class DesktopStepObserver : public StepObserver {
public:
    explicit DesktopStepObserver(const Analysis& analysis) : analysis_(analysis) {}
    void Wait() override { QCoreApplication::processEvents(); }
    bool StopRequested() override { return analysis_.circuit.StopRequest != 0; }

private:
    const Analysis& analysis_;
};

// The legend of a run's curve: its value, or its number when a Monte Carlo varies several.
std::string RunLegend(const StepPlan& plan, int run)
{
    std::string legend =
        plan.varied.size() == 1 ? plan.Describe(run) : "execução " + std::to_string(run + 1);
    std::replace(legend.begin(), legend.end(), '"', '\'');
    return legend;
}

} // namespace

void TalvorApp::RunSteps(const StepChoice& choice)
{
    if (running_)
        return;
    running_ = true;
    form1.SetRunning(true);
    form1.SetStopEnabled(true);
    analysis.circuit.StopRequest = 0;
    StepRequest request = choice.request;
    if (request.IsMonteCarlo() && !choice.seedGiven)
        request.seed = std::random_device{}();
    // The runs read their own copy of the options: the dialog may change meanwhile.
    const AnalysisSettings settings = Settings();
    const StepJob job{choice.netlistPath,
                      settings,
                      SweepTableUnits(settings),
                      {choice.node}};
    DesktopStepObserver observer(analysis);
    const SteppedOutcome outcome = RunSteppedAnalysis(request, job, log, observer);
    form1.SetStopEnabled(false);
    form1.SetRunning(false);
    running_ = false;
    if (outcome.planned)
        PlotSteps(outcome, choice.node);
}

// One curve per successful run, as many as the graph holds, each legend naming its value; a
// Monte Carlo of more runs than that is drawn as its envelope.
void TalvorApp::PlotSteps(const SteppedOutcome& outcome, const std::string& node)
{
    const StepPlan& plan = outcome.plan;
    std::vector<std::string> lines{"* " + node + "m em cada " +
                                   (plan.monteCarlo ? "execução" : "passo")};
    auto curve = [&](const std::string& table, const std::string& column,
                     const std::string& legend) {
        lines.push_back(table + " f " + column + " \"" + legend + "\"");
    };
    if (plan.monteCarlo && plan.RunCount() > MaxCurves) {
        if (outcome.envelopePath.empty())
            return;
        log.AppendLog("As %d execuções não cabem no gráfico (até %d curvas): plotados o mínimo, "
                      "a mediana e o máximo do envelope.",
                      plan.RunCount(), MaxCurves);
        curve(outcome.envelopePath, "min" + node + "m", "mínimo");
        curve(outcome.envelopePath, "med" + node + "m", "mediana");
        curve(outcome.envelopePath, "max" + node + "m", "máximo");
    } else {
        int left = 0;
        for (int run = 0; run < plan.RunCount(); ++run) {
            if (!outcome.runs[run].succeeded)
                continue;
            if (static_cast<int>(lines.size()) > MaxCurves)
                ++left;
            else
                curve(outcome.runs[run].tablePath, node + "m", RunLegend(plan, run));
        }
        if (left > 0)
            log.AppendLog("Só os primeiros %d passos cabem no gráfico; %d ficaram de fora.",
                          MaxCurves, left);
    }
    if (lines.size() == 1)
        return; // no run succeeded: nothing to draw
    form4.SetCurveLines(lines);
    form4.Button3Click(); // "Plotar"
}

void TalvorApp::ShowAbout() { form3.ShowVersion(); }

bool TalvorApp::WaitForSettings()
{
    form2.AskForSettings();
    // Sleeps in the event loop until "Aplicar" or the main window's closing wakes it.
    while (!form2.SettingsApplied() && !closing_)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return !closing_;
}

void TalvorApp::ProcessEvents()
{
    if (lastEvents_.isValid() && lastEvents_.elapsed() < EventIntervalMs)
        return;
    QCoreApplication::processEvents();
    lastEvents_.start();
}

void TalvorApp::SetStopEnabled(bool enabled)
{
    form1.SetStopEnabled(enabled);
    lastEvents_.invalidate(); // the first stamp of a calculation lets events through
}

void TalvorApp::HandOverTablePath(const std::string& tablePath)
{
    form4.SetTablePath(QFile::decodeName(tablePath.c_str()));
    // The options of a sweep tell the units of the table it wrote, which the graph's axis titles
    // name and the measurements state; a run that fails before its sweep leaves the table, and
    // what is known of it, as they were.
    if (sweepWroteTable_) {
        plotOptions.tableUnitsPath = tablePath;
        plotOptions.tableUnits = sweepUnits_;
        form4.SetRunTable(QFile::decodeName(tablePath.c_str()), analysis.circuit.nodeCount);
    }
    sweepWroteTable_ = false;
}

void TalvorApp::SweepStarted(long plannedRows)
{
    // The table has just been created; the user's input waits until the sweep ends, so the
    // options now are those of every row.
    sweepUnits_ = SweepTableUnits(Settings());
    sweepWroteTable_ = true;
    plannedRows_ = plannedRows;
    progressShownAt_ = -ProgressIntervalMs;
    sweepClock_.start();
}

void TalvorApp::SweepRowsWritten(long rowsWritten)
{
    const qint64 now = sweepClock_.elapsed();
    if (now < ProgressDelayMs || now - progressShownAt_ < ProgressIntervalMs)
        return;
    progressShownAt_ = now;
    form1.ShowSweepProgress(rowsWritten, plannedRows_);
    // Paints the progress and keeps the windows usable: "Parar análise" among them. The sweep
    // reads its own copy of the settings, so the dialog may change meanwhile.
    QCoreApplication::processEvents();
}

void TalvorApp::SweepEnded() { form1.HideSweepProgress(); }

} // namespace talvor
