// TForm1, the main window: the log Memo1 (which opens with the user manual) and the menu.
#pragma once

#include <QMainWindow>
#include <QString>

#include <functional>

class QAction;
class QFileDialog;
class QMenu;
class QProgressBar;
class QStatusBar;

namespace talvor {

class LogView;
class MessageSink;
class TalvorApp;

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm1(TalvorApp& app);

    // Memo1, where the log's lines go.
    MessageSink& LogSink();
    // "Abrir" and "Variar parâmetro..." are disabled while a run goes on: one run at a time.
    void SetRunning(bool running);
    // A run or a report starts: the log shows its lines as they come.
    void FollowLog();
    // "Parar análise" is enabled only while the operating point or the sweep is computed.
    void SetStopEnabled(bool enabled);
    // A long sweep's progress in a status bar, shown only meanwhile.
    void ShowSweepProgress(long rowsWritten, long plannedRows);
    void HideSweepProgress();

    // The file name of OpenDialog1: where "Abrir" and the command line put the netlist name.
    const QString& OpenDialogFileName() const { return openFileName_; }
    void SetOpenDialogFileName(const QString& name) { openFileName_ = name; }

    // Asks where to save the log, from the name given; an empty text when cancelled. Tests
    // replace it to answer without a modal dialog.
    std::function<QString(const QString& start)> saveDialog;

    void Abrir1Click();
    void Terminar1Click();
    void Salvar1Click();
    void Limpar1Click();
    void Anlise1Click();
    void Grfico1Click();
    void Parar1Click();
    void Sobre1Click();
    void Variar1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenu();
    void CreateProgressBar();
    QFileDialog* OpenDialog1();

    TalvorApp& app_;
    LogView* Memo1;
    QStatusBar* StatusBar1;
    QProgressBar* ProgressBar1;
    QMenu* Arquivo1;
    QAction* Abrir1;
    QAction* Terminar1;
    QAction* Salvar1;
    QAction* Limpar1;
    QAction* Anlise1;
    QAction* Grfico1;
    QAction* Parar1;
    QAction* Sobre1;
    QAction* Variar1;
    QString openFileName_ = QStringLiteral("teste.net");
    QString reportFileName_;            // the last report saved
    QFileDialog* openDialog_ = nullptr; // made on first use: start-up stays light
    bool shownOnce_ = false;
};

} // namespace talvor
