// The desktop program's wiring: runs, the command line, and the analysis host.
#include "app/talvor_app.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLocale>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "analysis/run_analysis.h"
#include "app/log_view.h"

namespace {

void RaiseWindow(QWidget& window)
{
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
    : form1(*this),
      form4(curveStore, log, form5), // log and form5 are only used once the program runs
      form5(curveStore, form4.Options()), log(*form1.Memo1), analysis(log, *this),
      arguments_(std::move(arguments)), endProgram_(std::move(endProgram))
{
    UseCNumericLocale();
    if (!endProgram_)
        endProgram_ = [] { QCoreApplication::exit(0); };
}

TalvorApp::~TalvorApp() = default;

void TalvorApp::RunAnalysisFromOpenDialog()
{
    if (running_)
        return;
    running_ = true;
    form1.Abrir1->setEnabled(false);
    RunAnalysis(analysis, QFile::encodeName(form1.OpenDialogFileName()).toStdString());
    form1.Abrir1->setEnabled(true);
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

void TalvorApp::ShowSettings() { RaiseWindow(form2); }

void TalvorApp::ShowCurveList() { RaiseWindow(form4); }

void TalvorApp::ShowAbout()
{
    form3.Label1->setText(QStringLiteral("Versão 1.4 de 16/12/2018"));
    RaiseWindow(form3);
}

bool TalvorApp::WaitForSettings()
{
    form2.settingsApplied = 0;
    RaiseWindow(form2);
    // Sleeps in the event loop until "Aplicar" or the main window's closing wakes it.
    while (form2.settingsApplied == 0 && !closing_)
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
    form1.Parar1->setEnabled(enabled);
    lastEvents_.invalidate(); // the first stamp of a calculation lets events through
}

void TalvorApp::HandOverTablePath(const std::string& tablePath)
{
    form4.SetTablePath(QFile::decodeName(tablePath.c_str()));
}
