// The desktop program as a whole: runs from the main window (the wait for "Aplicar", live
// options, the stop request, one run at a time), the command line, the numeric locale, and
// plotting the table of a run.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include "analysis/run_analysis.h"
#include "analysis_test_circuit.h"
#include "app/log_view.h"
#include "app/talvor_app.h"
#include "plot/graph_geometry.h"
#include "plot/graph_layout.h"
#include "test_support.h"
#include "window_support.h"

using namespace talvor;

namespace {

// An application whose normal termination is recorded instead of leaving the event loop.
struct TestApp {
    explicit TestApp(std::vector<std::string> arguments = {})
        : app(std::move(arguments), [this] { ++endRequests; })
    {}
    int endRequests = 0;
    TalvorApp app;

    const LogView& Memo1() const { return Control<LogView>(app.form1, "Memo1"); }
    QAction& Entry(const char* name) { return Control<QAction>(app.form1, name); }
    QStringList Log() const
    {
        QStringList lines;
        for (qsizetype i = 0; i < Memo1().LineCount(); ++i)
            lines << Memo1().Line(i);
        return lines;
    }
    bool Logged(const char* line) const { return Log().contains(QString::fromUtf8(line)); }

    void Run(const std::string& path)
    {
        app.form1.SetOpenDialogFileName(QString::fromStdString(path));
        app.RunAnalysisFromOpenDialog();
    }
    void ClickAplicar()
    {
        QTest::mouseClick(&Control<QPushButton>(app.form2, "Button1"), Qt::LeftButton);
    }
};

// Closes the main window if a test would otherwise wait for ever.
void GuardAgainstHanging(TestApp& test)
{
    QTimer::singleShot(20000, &test.app.form1, [&test] {
        ADD_FAILURE() << "still waiting after 20 s";
        test.app.form1.close();
    });
}

const char* const rcWithoutAc = "RC sem .AC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n";
const char* const rcWithAc = "RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n.AC DEC 3 10 1000\n";

// Analyses the example in dir, then "Gráfico", "Copiar" and "Plotar": the magnitude of node 1
// in the graph window.
void PlotTheExample(TestApp& test, TempDir& dir)
{
    const std::string netlist =
        dir.Write("exemplo.net", ReadWholeFile(TALVOR_EXAMPLES "/exemplo.net"));
    TalvorApp& app = test.app;
    app.Show();
    test.Run(netlist);
    Control<QAction>(app.form1, "Grfico1").trigger();
    QTest::mouseClick(&Control<QPushButton>(app.form4, "Button4"), Qt::LeftButton); // "Copiar"
    QTest::mouseClick(&Control<QPushButton>(app.form4, "Button3"), Qt::LeftButton); // "Plotar"
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.form5));
}

} // namespace

TEST(GuiHost, WaitForSettingsReturnsAfterAplicarAndSleepsMeanwhile)
{
    TestApp test;
    test.app.Show();
    bool shownWhileWaiting = false;
    QTimer::singleShot(400, &test.app.form1, [&] {
        shownWhileWaiting = test.app.form2.isVisible();
        test.ClickAplicar();
    });
    GuardAgainstHanging(test);
    const std::clock_t cpuBefore = std::clock();
    EXPECT_TRUE(test.app.WaitForSettings());
    const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_TRUE(shownWhileWaiting);
    EXPECT_FALSE(test.app.form2.isVisible());
    // 400 ms of waiting that does not spin the processor: a spin would take about all of it, while
    // showing the dialog takes well under half of it even in the sanitizer build on a busy machine.
    EXPECT_LT(cpuSeconds, 0.2);
}

TEST(GuiHost, ClosingTheMainWindowEndsTheWaitAndTheProgram)
{
    TestApp test;
    test.app.Show();
    QTimer::singleShot(50, &test.app.form1, [&] { test.app.form1.close(); });
    EXPECT_FALSE(test.app.WaitForSettings());
    EXPECT_EQ(test.endRequests, 1);
    EXPECT_EQ(test.app.analysis.circuit.StopRequest, 1);
}

TEST(GuiHost, StopEntryAndTablePathFollowTheDriver)
{
    TestApp test;
    test.app.SetStopEnabled(true);
    EXPECT_TRUE(test.Entry("Parar1").isEnabled());
    test.Entry("Parar1").trigger();
    EXPECT_EQ(test.app.analysis.circuit.StopRequest, 1);
    test.app.SetStopEnabled(false);
    EXPECT_FALSE(test.Entry("Parar1").isEnabled());
    test.app.HandOverTablePath("/tmp/circuito.tab");
    EXPECT_EQ(test.app.form4.TablePath(), QStringLiteral("/tmp/circuito.tab"));
}

TEST(GuiRun, NetlistWithoutAcWaitsForAplicarAndOpensNothingElseMeanwhile)
{
    TempDir dir;
    const std::string path = dir.Write("rc.net", rcWithoutAc);
    TestApp test;
    test.app.Show();
    bool waitedBeforeAplicar = false;
    bool abrirDisabled = false;
    QTimer::singleShot(100, &test.app.form1, [&] {
        waitedBeforeAplicar = test.app.form2.isVisible() &&
                              test.Logged("Linha de comando não encontrada ou ignorada.") &&
                              !test.Logged("Parâmetros de análise dados.");
        abrirDisabled = !test.Entry("Abrir1").isEnabled();
        // A second run from inside the first is refused.
        const qsizetype linesBefore = test.Memo1().LineCount();
        test.app.form1.Abrir1Click();
        test.app.RunAnalysisFromOpenDialog();
        EXPECT_EQ(test.Memo1().LineCount(), linesBefore);
        test.ClickAplicar();
    });
    GuardAgainstHanging(test);
    test.Run(path);
    EXPECT_TRUE(waitedBeforeAplicar);
    EXPECT_TRUE(abrirDisabled);
    EXPECT_TRUE(test.Entry("Abrir1").isEnabled());
    EXPECT_TRUE(test.Logged("Parâmetros de análise dados."));
    EXPECT_TRUE(test.Logged("F inicial: 1; F final: 10000; Pontos: 1000; Modo: 0."));
    EXPECT_TRUE(test.Logged("Análise terminada com sucesso."));
    EXPECT_EQ(test.Log().filter(QStringLiteral("Lendo netlist")).size(), 1);
    EXPECT_EQ(test.app.form4.TablePath(), QString::fromStdString(dir.Path() + "/rc.tab"));
}

// The magnitude of node 2 in the row at 100 Hz of an RC table.
double Node2MagnitudeAt100Hz(const std::string& table)
{
    for (const std::string& line : SplitLines(table)) {
        double f, m1, f1, m2;
        if (std::sscanf(line.c_str(), "%lg %lg %lg %lg", &f, &m1, &f1, &m2) == 4 && f == 100)
            return m2;
    }
    ADD_FAILURE() << "no row at 100 Hz in:\n" << table;
    return 0;
}

TEST(GuiRun, CheckBoxChangedWithoutAplicarTakesEffectAtTheNextRun)
{
    TempDir dir;
    const std::string path = dir.Write("rc.net", rcWithAc);
    TestApp test;
    test.app.Show();
    test.Run(path);
    const double modulus = Node2MagnitudeAt100Hz(ReadWholeFile(dir.Path() + "/rc.tab"));
    EXPECT_NEAR(modulus, 0.846733, 1e-6);
    test.app.form2.findChild<QCheckBox*>(QStringLiteral("CBdB"))->click();
    EXPECT_FALSE(test.app.form2.isVisible());
    test.Run(path);
    const double decibels = Node2MagnitudeAt100Hz(ReadWholeFile(dir.Path() + "/rc.tab"));
    EXPECT_NEAR(decibels, 20 * std::log10(0.846733), 1e-4);
}

TEST(GuiRun, PararAnaliseStopsTheOperatingPoint)
{
    TempDir dir;
    // No current can flow backwards through the diode: the iteration cannot converge.
    const std::string path = dir.Write("d.net", "diodo\nI1 1 0 DC 1\nD1 1 0\n.AC DEC 10 1 1000\n");
    TestApp test;
    test.app.Show();
    bool enabledWhileIterating = false;
    QTimer::singleShot(0, &test.app.form1, [&] {
        enabledWhileIterating = test.Entry("Parar1").isEnabled();
        test.Entry("Parar1").trigger();
    });
    test.Run(path);
    EXPECT_TRUE(enabledWhileIterating);
    EXPECT_TRUE(test.Logged("Cálculo do ponto de operação interrompido."));
    EXPECT_TRUE(test.Logged("Análise de resposta em frequência não realizada."));
    EXPECT_FALSE(test.Entry("Parar1").isEnabled());
    EXPECT_TRUE(test.Entry("Abrir1").isEnabled());
}

TEST(GuiRun, AFailedRunEndsWithItsDiagnosisInTheLog)
{
    TempDir dir;
    const std::string path = dir.Write(
        "soltos.net", "Nós 2 e 3 soltos\nV1 1 0 1\nR1 1 0 1000\nR2 2 3 1000\n.AC DEC 3 10 1000\n");
    TestApp test;
    test.app.Show();
    test.Run(path);
    const QStringList log = test.Log();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log.mid(log.size() - 3),
              (QStringList{QStringLiteral("Análise de resposta em frequência não realizada."),
                           QStringLiteral("Os nós 2 e 3 não têm caminho DC para a terra."),
                           QStringLiteral("Nenhum elemento os liga ao resto do circuito.")}));
}

TEST(GuiRun, CommandLineRunsTheFileAndEndsOnlyWithLowerCaseT)
{
    struct Case {
        std::vector<std::string> arguments;
        int endRequests;
    };
    const Case cases[] = {
        {{"nofile", "t"}, 1},
        {{"nofile", "T"}, 0},
        {{"nofile", "t", "x"}, 1},
        {{"nofile"}, 0},
    };
    for (const Case& c : cases) {
        TestApp test(c.arguments);
        test.app.Show();
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_TRUE(test.Logged("Arquivo nofile.net inexistente.")) << c.arguments.size();
        EXPECT_EQ(test.endRequests, c.endRequests) << c.arguments.size();
    }
    TestApp idle;
    idle.app.Show();
    QApplication::processEvents();
    EXPECT_FALSE(idle.Log().join('\n').contains(QStringLiteral("Lendo netlist")));
}

namespace {

// Switches the process to a Portuguese locale for one test; false when none is available.
class PortugueseLocale {
public:
    PortugueseLocale() { active_ = Enter(); }
    ~PortugueseLocale()
    {
        std::setlocale(LC_ALL, "C.UTF-8");
        std::setlocale(LC_NUMERIC, "C");
    }
    bool Active() const { return active_; }

private:
    static bool Enter()
    {
        for (const char* name : {"pt_BR.UTF-8", "pt_BR.utf8", "pt_PT.UTF-8"})
            if (std::setlocale(LC_ALL, name) != nullptr)
                return true;
        // Build one for this process when the system has the sources but not the locale.
        static TempDir compiled;
        const std::string command =
            "localedef -i pt_BR -f UTF-8 '" + compiled.Path() + "/pt_BR.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return false;
        setenv("LOCPATH", compiled.Path().c_str(), 1);
        return std::setlocale(LC_ALL, "pt_BR.UTF-8") != nullptr;
    }
    bool active_ = false;
};

std::string Formatted(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

TEST(GuiLocale, NumbersUseAPointUnderAPortugueseLocale)
{
    PortugueseLocale portuguese;
    if (!portuguese.Active())
        GTEST_SKIP() << "no Portuguese locale on this system";
    ASSERT_EQ(Formatted(0.5), "0,5"); // what the application would otherwise inherit
    TestApp test;
    EXPECT_EQ(Formatted(0.5), "0.5");
    test.app.log.AppendLog("Erro=%g", 0.25);
    EXPECT_TRUE(test.Logged("Erro=0.25"));

    TempDir dir;
    test.Run(dir.Write("rc.net", rcWithAc));
    const std::string table = ReadWholeFile(dir.Path() + "/rc.tab");
    EXPECT_NE(table.find("0.846733"), std::string::npos) << table;
    EXPECT_EQ(table.find(','), std::string::npos) << table;
}

TEST(GuiRun, AbrirRunsTheNetlistChosenInOpenDialog1)
{
    TempDir dir;
    const std::string path = dir.Write("rc.net", rcWithAc);
    TestApp test;
    test.app.Show();
    QString filter, suffix, preset;
    QTimer::singleShot(100, &test.app.form1, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->objectName(), QStringLiteral("OpenDialog1"));
        filter = dialog->nameFilters().join(';');
        suffix = dialog->defaultSuffix();
        preset = dialog->selectedFiles().value(0);
        // The user types the netlist's path into the name field.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept(); // as the "Abrir" button does
    });
    QTimer::singleShot(20000, &test.app.form1, [] {
        if (QWidget* stuck = QApplication::activeModalWidget())
            stuck->close();
    });
    test.Entry("Abrir1").trigger();
    EXPECT_EQ(filter,
              QStringLiteral("Circuitos (*.net *.cir *.sp *.spice *.ckt);Todos os arquivos (*)"));
    EXPECT_EQ(suffix, QStringLiteral("net"));
    EXPECT_TRUE(preset.endsWith(QStringLiteral("/teste.net"))) << preset.toStdString();
    EXPECT_EQ(test.app.form1.OpenDialogFileName(), QString::fromStdString(path));
    EXPECT_TRUE(test.Logged("Análise terminada com sucesso."));
    EXPECT_EQ(test.app.form4.TablePath(), QString::fromStdString(dir.Path() + "/rc.tab"));
}

// "Abrir" on a SPICE deck: converted beside itself as talvor-spice converts it, its warnings in
// the log, and its netlist analysed into the deck's table.
TEST(GuiRun, AbrirConvertsADeckAndAnalysesItsNetlist)
{
    TempDir dir;
    const std::string deck = dir.Write(
        "divisor.cir", "Divisor\nV1 a 0 AC 1\nR1 a b 1k\nR2 b 0 1k\n.op\n.ac dec 1 1 10\n");
    TestApp test;
    test.app.Show();
    QTimer::singleShot(100, &test.app.form1, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QString::fromStdString(deck));
        static_cast<QDialog*>(dialog)->accept();
    });
    QTimer::singleShot(20000, &test.app.form1, [] {
        if (QWidget* stuck = QApplication::activeModalWidget())
            stuck->close();
    });
    test.Entry("Abrir1").trigger();
    const std::string netlist = dir.Path() + "/divisor.net";
    for (const std::string& line :
         {"Convertendo o deck " + deck + ":",
          std::string("linha 5: .op ignorado: o Talvor faz o ponto de operação e a análise AC"),
          "Netlist " + netlist + " escrito: 3 elementos, 2 nós, 3 variáveis.",
          "Lendo netlist " + netlist + ":", std::string("Análise terminada com sucesso.")})
        EXPECT_TRUE(test.Logged(line.c_str())) << line << "\n"
                                               << test.Log().join('\n').toStdString();
    EXPECT_EQ(test.app.form4.TablePath(), QString::fromStdString(dir.Path() + "/divisor.tab"));
    const std::vector<std::string> table = SplitLines(ReadWholeFile(dir.Path() + "/divisor.tab"));
    ASSERT_EQ(table.size(), 3u); // the header and the two ends of one decade
    EXPECT_NE(table[1].find("0.5"), std::string::npos) << table[1]; // the divider's half
}

// A deck that cannot be converted, or whose netlist would overwrite a file the converter did not
// write, ends the run with the converter's reason: nothing is read or written.
TEST(GuiRun, ADeckThatCannotBeConvertedEndsTheRunAsFailed)
{
    struct Case {
        const char* deck;
        const char* existingNetlist; // nullptr: none
        const char* reason;
    };
    const Case cases[] = {
        {"Ruim\nV1 a 0 AC 1\nR1 a 0 {1/0}\n", nullptr,
         "linha 3: expressão {1/0}: divisão por zero"},
        {"Sem modelo\nQ1 c b e qx\n", nullptr, "linha 2: Q1: modelo qx não definido"},
        {"Bom\nV1 a 0 AC 1\nR1 a 0 1\n", "Meu netlist\nR1 a 0 1\n",
         "já existe e não foi escrito pelo talvor-spice"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string deck = dir.Write("deck.sp", c.deck);
        if (c.existingNetlist != nullptr)
            dir.Write("deck.net", c.existingNetlist);
        TestApp test;
        test.Run(deck);
        const QStringList log = test.Log();
        EXPECT_TRUE(log.filter(QString::fromUtf8(c.reason)).size() == 1)
            << c.reason << "\n"
            << log.join('\n').toStdString();
        EXPECT_EQ(log.constLast(),
                  QStringLiteral("O deck não foi convertido; nenhum netlist foi escrito."));
        EXPECT_TRUE(test.app.analysis.circuit.RunFailed);
        EXPECT_TRUE(log.filter(QStringLiteral("Lendo netlist")).isEmpty());
        EXPECT_EQ(ReadWholeFile(dir.Path() + "/deck.net"),
                  c.existingNetlist != nullptr ? c.existingNetlist : "");
        EXPECT_FALSE(std::filesystem::exists(dir.Path() + "/deck.tab"));
    }
}

// Qt's own dialogs speak Portuguese too, whatever the system language (the tests run under
// C.UTF-8): the colour chooser of the graph window and the file dialog of "Abrir".
TEST(GuiTexts, QtDialogsSpeakPortuguese)
{
    TestApp test;
    test.app.Show();
    // Closes each modal dialog as it comes up, noting the captions of its buttons.
    std::vector<QStringList> buttons;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr)
            return;
        QStringList captions;
        for (const QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->isVisible())
                captions << button->text();
        buttons.push_back(captions);
        static_cast<QDialog*>(dialog)->reject();
    });
    closer.start(20);

    test.app.form5.show();
    QWidget& paintBox = Control<QWidget>(test.app.form5, "PaintBox1");
    QTest::mouseClick(&paintBox, Qt::LeftButton, {}, QPoint(10, 5)); // the two grid colours
    test.Entry("Abrir1").trigger();
    ASSERT_EQ(buttons.size(), 3u);
    for (const QStringList& captions : buttons) {
        EXPECT_TRUE(captions.contains(QStringLiteral("Cancelar")))
            << captions.join('|').toStdString();
        EXPECT_FALSE(captions.join('|').contains(QStringLiteral("Cancel|")));
    }
    EXPECT_TRUE(buttons[0].contains(QStringLiteral("&Adicionar às cores personalizadas")))
        << buttons[0].join('|').toStdString();
    EXPECT_TRUE(buttons[2].contains(QStringLiteral("&Abrir")))
        << buttons[2].join('|').toStdString();
}

TEST(GuiRunDeathTest, TerminarEndsTheProcessAtOnceWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TalvorApp app;
            app.Show();
            Control<QAction>(app.form1, "Terminar1").trigger();
            std::abort(); // not reached
        },
        testing::ExitedWithCode(0), "");
}

// Plotting from the desktop program: analyse the example, "Gráfico", "Copiar", "Plotar".
TEST(GuiPlot, TheExampleTablePlotsTheMagnitudeOfNodeOneOnLogLogAxes)
{
    TempDir dir;
    const std::string netlist =
        dir.Write("exemplo.net", ReadWholeFile(TALVOR_EXAMPLES "/exemplo.net"));
    TalvorApp app({}, [] {});
    app.Show();
    app.form1.SetOpenDialogFileName(QString::fromStdString(netlist));
    app.RunAnalysisFromOpenDialog();
    Control<QAction>(app.form1, "Grfico1").trigger();
    ASSERT_TRUE(app.form4.isVisible());
    QTest::mouseClick(&Control<QPushButton>(app.form4, "Button4"), Qt::LeftButton); // "Copiar"
    EXPECT_EQ(Control<QPlainTextEdit>(app.form4, "Memo1").toPlainText().split('\n').last(),
              QString::fromStdString(dir.Path() + "/exemplo.tab f 1m"));
    QTest::mouseClick(&Control<QPushButton>(app.form4, "Button3"), Qt::LeftButton); // "Plotar"
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.form5));
    QWidget& paintBox = Control<QWidget>(app.form5, "PaintBox1");
    paintBox.repaint();

    const CurveStore& store = app.curveStore;
    ASSERT_EQ(store.curveCount, 1);
    EXPECT_TRUE(store.plotReady && store.pictureSaved);
    EXPECT_TRUE(store.logX && store.logY);
    EXPECT_STREQ(store.curves[1].xName, "f");
    EXPECT_STREQ(store.curves[1].yName, "1m");
    EXPECT_GT(store.curves[1].pointCount, 1);

    // The curve's first point lies on the screen in curve 1's colour (white).
    QImage shown = paintBox.grab().toImage();
    const Curve& c = store.curves[1];
    int column = 0, row = 0;
    ASSERT_TRUE(MapToPixel(std::log(c.x[0]), c.scaleX, c.offsetX, column));
    ASSERT_TRUE(MapToPixel(std::log(c.y[0]), c.scaleY, c.offsetY, row));
    EXPECT_EQ(shown.pixel(column, row), 0xFFFFFFFFu);
    EXPECT_EQ(column, 75); // the first frequency is the left limit

    if (const char* screenshot = std::getenv("TALVOR_SCREENSHOT"))
        app.form5.grab().save(QString::fromLocal8Bit(screenshot));
}

// "m" in the graph window: the measurements of the plotted curves in the main window's log. The
// table of the last run is measured in the units of its options; any other table's units are
// assumed from its values.
TEST(GuiPlot, MeasureKeyLogsABlockPerCurve)
{
    TempDir dir;
    TestApp test;
    TalvorApp& app = test.app;
    PlotTheExample(test, dir);
    const std::string netlist = dir.Path() + "/exemplo.net";
    QPlainTextEdit& curveLines = Control<QPlainTextEdit>(app.form4, "Memo1");
    // The lines after the title of the last block of curve 1 of table.
    auto measure = [&](const std::string& table, qsizetype count) {
        curveLines.setPlainText(QString::fromStdString(table + " f 1m"));
        QTest::mouseClick(&Control<QPushButton>(app.form4, "Button3"), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&app.form5));
        QTest::keyClick(&app.form5, 'm');
        const QStringList log = test.Log();
        const QString title =
            QString::fromStdString("Medidas da curva 1 (" + table + ", f x 1m, fase em 1f):");
        const qsizetype at = log.lastIndexOf(title);
        EXPECT_GE(at, 0) << log.join('\n').toStdString();
        return log.mid(at + 1, count);
    };
    const std::string table = dir.Path() + "/exemplo.tab";
    // Node 1 is the source: flat at 1 V, its phase 0 all along.
    EXPECT_EQ(
        measure(table, 4),
        QStringList({"  Unidades: módulo linear, fase em graus, frequência em Hz.",
                     "  Ganho no início (1 Hz): 1 (0 dB)", "  Ganho no fim (100000 Hz): 1 (0 dB)",
                     "  Ganho máximo: 1 (0 dB) de 1 a 100000 Hz, em toda a varredura"}));
    EXPECT_TRUE(test.Logged("  Frequência de ganho unitário: não encontrado"));

    // In dB and radians node 1 reads 0 and 0 everywhere, which alone would pass for linear
    // magnitudes; the units come from the run. A copy of the table is no longer the run's.
    Control<QCheckBox>(app.form2, "CBdB").setChecked(true);
    Control<QCheckBox>(app.form2, "CBgraus").setChecked(false);
    test.Run(netlist);
    EXPECT_EQ(measure(table, 1),
              QStringList({"  Unidades: módulo em dB, fase em radianos, frequência em Hz."}));
    const std::string copy = dir.Write("copia.tab", ReadWholeFile(table));
    EXPECT_EQ(measure(copy, 1), QStringList({"  Unidades: módulo em dB (suposto), fase em "
                                             "radianos (suposta), frequência em Hz (suposta)."}));
    // A run that fails before its sweep leaves the table, and what is known of it, as it was.
    test.Run(dir.Write("ruim.net", "ruim\nV1 1 0 1\nV2 1 0 2\n.AC DEC 3 10 1000\n"));
    ASSERT_TRUE(test.Logged("Análise de resposta em frequência não realizada."));
    EXPECT_EQ(measure(table, 1),
              QStringList({"  Unidades: módulo em dB, fase em radianos, frequência em Hz."}));
}

// "n" in the graph window turns the curve list's "Divisões numeradas" on and off, and the graph
// follows it at once; the axis titles name the units the run's options gave its table.
TEST(GuiPlot, NumberedDivisionsByKeyWithTheRunsUnitsInTheTitles)
{
    TempDir dir;
    TestApp test;
    TalvorApp& app = test.app;
    Control<QCheckBox>(app.form2, "CBdB").setChecked(true);
    PlotTheExample(test, dir);
    QWidget& paintBox = Control<QWidget>(app.form5, "PaintBox1");
    paintBox.repaint();
    QCheckBox& numbered = Control<QCheckBox>(app.form4, "CBdivisoes");
    ASSERT_FALSE(numbered.isChecked());

    const int drawings = app.form5.FullDrawingCount();
    QTest::keyClick(&app.form5, 'n');
    EXPECT_TRUE(numbered.isChecked());
    EXPECT_TRUE(app.plotOptions.CBdivisoes);
    EXPECT_GT(app.form5.FullDrawingCount(), drawings);
    EXPECT_TRUE(app.curveStore.pictureSaved);
    auto layout = std::make_unique<GraphLayout>();
    LayOutGraph(app.curveStore, app.plotOptions, paintBox.size(), *layout);
    EXPECT_EQ(layout->titles.x, "f (Hz)");
    EXPECT_EQ(layout->titles.left, "módulo (dB)");
    EXPECT_GE(layout->xTicks.count, 5);

    numbered.setChecked(false); // the check box itself redraws the graph too
    EXPECT_FALSE(app.plotOptions.CBdivisoes);
    EXPECT_TRUE(app.curveStore.pictureSaved);
    QTest::keyClick(&app.form5, 'n');
    QTest::keyClick(&app.form5, 'n');
    EXPECT_FALSE(numbered.isChecked());
}

// A sweep shows its progress in the main window's status bar once it has run for half a second,
// then a few times a second; the bar goes at the sweep's end.
TEST(GuiProgress, ASweepShowsItsProgressAfterHalfASecond)
{
    TestApp test;
    test.app.Show();
    const QStatusBar& bar = Control<QStatusBar>(test.app.form1, "StatusBar1");
    const QProgressBar& progress = Control<QProgressBar>(test.app.form1, "ProgressBar1");
    EXPECT_FALSE(bar.isVisible());
    test.app.SweepStarted(100000);
    test.app.SweepRowsWritten(128);
    EXPECT_FALSE(bar.isVisible());
    QTest::qSleep(TalvorApp::ProgressDelayMs + 20);
    test.app.SweepRowsWritten(60000);
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(progress.text(), QStringLiteral("Gerando tabela: 60000 de 100000 pontos (60%)"));
    test.app.SweepRowsWritten(60128); // too soon after the last
    EXPECT_EQ(progress.value(), 60000);
    QTest::qSleep(TalvorApp::ProgressIntervalMs + 20);
    test.app.SweepRowsWritten(100001); // a sweep per decade may write one row more
    EXPECT_EQ(progress.value(), 100001);
    EXPECT_EQ(progress.maximum(), 100001);
    test.app.SweepEnded();
    EXPECT_FALSE(bar.isVisible());
}

// A long sweep through the windows: the status bar comes while it runs (when it runs long enough
// to show it twice), and the log and the table are those of a run without windows.
TEST(GuiProgress, ALongSweepKeepsItsLogAndTable)
{
    TempDir dir;
    const std::string netlist =
        dir.Write("longo.net", "RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\n.AC LIN 1000000 1 1e6\n");
    TestApp test;
    test.app.Show();
    const QStatusBar& bar = Control<QStatusBar>(test.app.form1, "StatusBar1");
    const QProgressBar& progress = Control<QProgressBar>(test.app.form1, "ProgressBar1");
    std::vector<int> shown; // the bar's value whenever the windows were served
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (bar.isVisible())
            shown.push_back(progress.value());
    });
    sampler.start(20);
    const qsizetype linesBefore = test.Memo1().LineCount();
    QElapsedTimer clock;
    clock.start();
    test.Run(netlist);
    const qint64 runMs = clock.elapsed();
    sampler.stop();
    EXPECT_FALSE(bar.isVisible());
    const QStringList log = test.Log().mid(linesBefore);
    ASSERT_TRUE(log.contains(QStringLiteral("Análise terminada com sucesso.")));
    const std::string table = ReadWholeFile(dir.Path() + "/longo.tab");
    if (runMs > TalvorApp::ProgressDelayMs + 2 * TalvorApp::ProgressIntervalMs) {
        ASSERT_GE(shown.size(), 2u) << runMs << " ms";
        EXPECT_GT(shown.front(), 0);
        EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
        EXPECT_GT(shown.back(), shown.front());
    }

    TestHost plain;
    RecordingSink sink;
    MessageLog plainLog(sink);
    auto analysis = std::make_unique<Analysis>(plainLog, plain);
    RunAnalysis(*analysis, netlist);
    QStringList expected;
    for (const std::string& line : sink.lines)
        expected << QString::fromStdString(line);
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(ReadWholeFile(dir.Path() + "/longo.tab") == table);
}

namespace {

void WaitUntilShown(const LogView& memo)
{
    for (int i = 0; i < 100 && memo.ShownLineCount() < memo.LineCount(); ++i)
        QTest::qWait(LogView::RefreshIntervalMs);
    ASSERT_EQ(memo.ShownLineCount(), memo.LineCount());
}

// Five RC sections: a million points take seconds, long enough to be stopped.
const char* const ladderOfAMillionPoints =
    "Escada RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\nR2 2 3 1000\nC2 3 0 1e-6\nR3 3 4 1000\n"
    "C3 4 0 1e-6\nR4 4 5 1000\nC4 5 0 1e-6\nR5 5 6 1000\nC5 6 0 1e-6\n.AC LIN 1000000 1 1e6\n";

} // namespace

// Each run brings its lines into view, even when the user was reading the top of the manual.
TEST(GuiRun, ARunScrollsTheLogToItsLines)
{
    TempDir dir;
    const std::string path = dir.Write("rc.net", rcWithAc);
    TestApp test;
    test.app.Show();
    const LogView& memo = test.Memo1();
    WaitUntilShown(memo);
    ASSERT_EQ(memo.FirstVisibleLine(), 0);
    for (int run = 0; run < 2; ++run) {
        const qsizetype runStart = memo.LineCount();
        test.Run(path);
        WaitUntilShown(memo);
        // The whole short run is in view, from its first line (the empty one) to its last.
        const qsizetype first = memo.FirstVisibleLine();
        EXPECT_LE(first, runStart) << run;
        EXPECT_GE(first + memo.VisibleRows(), memo.LineCount()) << run;
        EXPECT_EQ(memo.Line(memo.LineCount() - 1),
                  QStringLiteral("Análise terminada com sucesso."));
        // Scrolled back to the top by the user: the next run comes into view all the same.
        const_cast<LogView&>(memo).verticalScrollBar()->triggerAction(
            QAbstractSlider::SliderToMinimum);
        WaitUntilShown(memo);
        EXPECT_EQ(memo.FirstVisibleLine(), 0);
    }
}

// "Parar análise" during a sweep of a million points: the sweep ends within a second of the
// request, the rows written stay in the table, and the log says how many.
TEST(GuiStop, PararAnaliseStopsALongSweep)
{
    TempDir dir;
    const std::string netlist = dir.Write("escada.net", ladderOfAMillionPoints);
    TestApp test;
    test.app.Show();
    GuardAgainstHanging(test);
    QAction& parar = test.Entry("Parar1");
    QElapsedTimer sinceStop;
    // Served once the sweep has run for half a second and lets the windows in.
    QTimer::singleShot(100, &test.app.form1, [&] {
        if (parar.isEnabled()) {
            sinceStop.start();
            parar.trigger();
        }
    });
    const qsizetype before = test.Memo1().LineCount();
    test.Run(netlist);
    ASSERT_TRUE(sinceStop.isValid()) << "the sweep ended before it could be stopped";
    EXPECT_LT(sinceStop.elapsed(), 1000);
    EXPECT_FALSE(parar.isEnabled());

    const QStringList log = test.Log().mid(before);
    ASSERT_GE(log.size(), 3);
    const long rows = long(SplitLines(ReadWholeFile(dir.Path() + "/escada.tab")).size()) - 1;
    EXPECT_GT(rows, 0);
    EXPECT_LT(rows, 1000000);
    EXPECT_EQ(log.mid(log.size() - 3),
              QStringList({QStringLiteral("Cálculo interrompido."),
                           QString::fromStdString("Parada pedida pelo usuário: o arquivo " +
                                                  dir.Path() + "/escada.tab ficou com os " +
                                                  std::to_string(rows) + " pontos já calculados."),
                           QStringLiteral("Análise de resposta em frequência não realizada.")}));
}

// "Salvar relatório..." writes every line as UTF-8, "Limpar relatório" empties the log.
TEST(GuiLogRecord, SaveWritesTheWholeLogAndClearEmptiesIt)
{
    TempDir dir;
    TestApp test;
    test.app.Show();
    const LogView& memo = test.Memo1();
    test.app.form1.LogSink().WriteLine("Elemento desconhecido: n\xF3 1\n"); // a Latin-1 echo
    QStringList expected = test.Log();
    const std::string report = dir.Path() + "/relatorio.txt";
    QString offered;
    test.app.form1.saveDialog = [&](const QString& start) {
        offered = start;
        return QString::fromStdString(report);
    };
    test.Entry("Salvar1").trigger();
    EXPECT_EQ(QFileInfo(offered).fileName(), QStringLiteral("relatorio.txt"));
    const std::string saved = ReadWholeFile(report);
    EXPECT_EQ(QString::fromUtf8(saved), expected.join('\n') + '\n');
    EXPECT_NE(saved.find("Elemento desconhecido: nó 1\n"), std::string::npos);
    EXPECT_EQ(test.Log().constLast(),
              QString::fromStdString("Relatório salvo no arquivo " + report + " com " +
                                     std::to_string(expected.size()) + " linhas."));

    // A place that cannot be written: the reason in the log, nothing written.
    test.app.form1.saveDialog = [&](const QString&) {
        return QString::fromStdString(dir.Path() + "/nao/existe.txt");
    };
    test.Entry("Salvar1").trigger();
    EXPECT_TRUE(test.Log().constLast().startsWith(QString::fromStdString(
        "Não foi possível salvar o relatório no arquivo " + dir.Path() + "/nao/existe.txt: ")));
    // Cancelled: nothing happens.
    test.app.form1.saveDialog = [](const QString&) { return QString(); };
    const qsizetype lines = memo.LineCount();
    test.Entry("Salvar1").trigger();
    EXPECT_EQ(memo.LineCount(), lines);

    test.Entry("Limpar1").trigger();
    EXPECT_EQ(memo.LineCount(), 0);
    test.app.log.AppendLog("depois");
    WaitUntilShown(memo);
    EXPECT_EQ(test.Log(), QStringList{QStringLiteral("depois")});
}
