// The main window: its menu, its handlers, and the log area that holds the manual.
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

#include "app/log_view.h"
#include "app/talvor_app.h"
#include "app/user_manual.h"

namespace talvor {

namespace {

// "Courier New" 8 pt keeps the reports' columns; where it is not installed, the system's
// fixed-pitch font does the same.
QFont LogFont()
{
    const QString family = QStringLiteral("Courier New");
    if (QFontDatabase::families().contains(family))
        return QFont(family, 8);
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}

} // namespace

TForm1::TForm1(TalvorApp& app) : app_(app)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Análise de Resposta em Frequência de Circuitos Não Lineares"));
    Memo1 = new LogView(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(LogFont());
    Memo1->WriteLine(UserManualText());
    Memo1->ShowFromTop();
    setCentralWidget(Memo1);
    CreateMenu();
    CreateProgressBar();
    saveDialog = [this](const QString& start) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Salvar relatório"), start,
                                            QStringLiteral("Textos (*.txt);;Todos (*)"));
    };
    resize(1137, 576);
}

// Hidden until a sweep has run for a while: the window otherwise is the log alone.
void TForm1::CreateProgressBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setFormat(QStringLiteral("Gerando tabela: %v de %m pontos (%p%)"));
    ProgressBar1->setMinimumWidth(400);
    StatusBar1->addWidget(ProgressBar1);
    setStatusBar(StatusBar1);
    StatusBar1->hide();
}

// The entries' captions carry their Alt mnemonics (the underlined letter).
void TForm1::CreateMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    Arquivo1 = bar->addMenu(QStringLiteral("&Arquivo"));
    Arquivo1->setObjectName(QStringLiteral("Arquivo1"));
    Abrir1 = Arquivo1->addAction(QStringLiteral("&Abrir"), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                                 &TForm1::Abrir1Click);
    Terminar1 = Arquivo1->addAction(QStringLiteral("&Terminar"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                                    this, &TForm1::Terminar1Click);
    Arquivo1->addSeparator();
    Salvar1 =
        Arquivo1->addAction(QStringLiteral("&Salvar relatório..."), this, &TForm1::Salvar1Click);
    Limpar1 = Arquivo1->addAction(QStringLiteral("&Limpar relatório"), this, &TForm1::Limpar1Click);
    // These act on a click of the menu bar itself.
    Anlise1 = bar->addAction(QStringLiteral("&Configuração"), this, &TForm1::Anlise1Click);
    Grfico1 = bar->addAction(QStringLiteral("&Gráfico"), this, &TForm1::Grfico1Click);
    Parar1 = bar->addAction(QStringLiteral("&Parar análise"), this, &TForm1::Parar1Click);
    Sobre1 = bar->addAction(QStringLiteral("&Sobre"), this, &TForm1::Sobre1Click);
    // After the program's own entries: the analysis of a netlist stepped or drawn.
    Variar1 = bar->addAction(QStringLiteral("&Variar parâmetro..."), this, &TForm1::Variar1Click);
    Abrir1->setObjectName(QStringLiteral("Abrir1"));
    Terminar1->setObjectName(QStringLiteral("Terminar1"));
    Salvar1->setObjectName(QStringLiteral("Salvar1"));
    Limpar1->setObjectName(QStringLiteral("Limpar1"));
    Anlise1->setObjectName(QStringLiteral("Anlise1"));
    Grfico1->setObjectName(QStringLiteral("Grfico1"));
    Parar1->setObjectName(QStringLiteral("Parar1"));
    Sobre1->setObjectName(QStringLiteral("Sobre1"));
    Variar1->setObjectName(QStringLiteral("Variar1"));
    Parar1->setEnabled(false);
}

MessageSink& TForm1::LogSink() { return *Memo1; }

void TForm1::SetRunning(bool running)
{
    Abrir1->setEnabled(!running);
    Variar1->setEnabled(!running);
}

void TForm1::SetStopEnabled(bool enabled) { Parar1->setEnabled(enabled); }

void TForm1::FollowLog() { Memo1->FollowNewLines(); }

void TForm1::ShowSweepProgress(long rowsWritten, long plannedRows)
{
    // The planned count of a sweep per decade or octave may be one short.
    ProgressBar1->setMaximum(static_cast<int>(std::max(rowsWritten, plannedRows)));
    ProgressBar1->setValue(static_cast<int>(rowsWritten));
    StatusBar1->show();
}

void TForm1::HideSweepProgress() { StatusBar1->hide(); }

QFileDialog* TForm1::OpenDialog1()
{
    if (openDialog_ == nullptr) {
        openDialog_ = new QFileDialog(this);
        openDialog_->setObjectName(QStringLiteral("OpenDialog1"));
        openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
        openDialog_->setFileMode(QFileDialog::ExistingFile);
        openDialog_->setNameFilters({QStringLiteral("Circuitos (*.net *.cir *.sp *.spice *.ckt)"),
                                     QStringLiteral("Todos os arquivos (*)")});
        openDialog_->setDefaultSuffix(QStringLiteral("net"));
    }
    return openDialog_;
}

void TForm1::Abrir1Click()
{
    if (app_.Running()) // one run at a time: the entry is disabled meanwhile anyway
        return;
    QFileDialog* dialog = OpenDialog1();
    dialog->selectFile(openFileName_);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    openFileName_ = dialog->selectedFiles().constFirst();
    app_.RunAnalysisFromOpenDialog();
}

void TForm1::Terminar1Click() { app_.TerminateNow(); }

// "Salvar relatório...": the whole log, as the lines stand now, into a text file.
void TForm1::Salvar1Click()
{
    if (reportFileName_.isEmpty())
        reportFileName_ =
            QFileInfo(openFileName_).absoluteDir().filePath(QStringLiteral("relatorio.txt"));
    const QString chosen = saveDialog(reportFileName_);
    if (chosen.isEmpty())
        return;
    reportFileName_ = chosen;
    const qsizetype lines = Memo1->LineCount();
    QString error;
    const QByteArray shown = QDir::toNativeSeparators(chosen).toUtf8();
    FollowLog();
    QApplication::setOverrideCursor(Qt::WaitCursor); // half a gigabyte takes a second or two
    const bool saved = Memo1->SaveTo(chosen, error);
    QApplication::restoreOverrideCursor();
    if (saved)
        app_.log.AppendLog("Relatório salvo no arquivo %s com %lld linhas.", shown.constData(),
                           static_cast<long long>(lines));
    else
        app_.log.AppendLog("Não foi possível salvar o relatório no arquivo %s: %s.",
                           shown.constData(), error.toUtf8().constData());
}

// "Limpar relatório": the log starts afresh, its memory given back.
void TForm1::Limpar1Click() { Memo1->Clear(); }

void TForm1::Anlise1Click() { app_.ShowSettings(); }

void TForm1::Grfico1Click() { app_.ShowCurveList(); }

void TForm1::Parar1Click() { app_.RequestStop(); }

void TForm1::Sobre1Click() { app_.ShowAbout(); }

void TForm1::Variar1Click() { app_.ShowStepDialog(); }

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    // FormShow: the command line is handled once the window is up.
    QTimer::singleShot(0, this, [this] { app_.HandleCommandLine(); });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    app_.MainWindowClosed();
}

} // namespace talvor
