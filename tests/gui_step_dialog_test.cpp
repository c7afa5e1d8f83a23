// "Variar parâmetro...": the dialog filled from the netlist last opened, its choices checked, and
// its "Executar" filling the curve list with one curve per step (or the envelope of a long Monte
// Carlo), plotted overlaid with legends that name the values.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/log_view.h"
#include "app/step_dialog.h"
#include "app/talvor_app.h"
#include "plot/graph_painter.h"
#include "test_support.h"
#include "window_support.h"

using namespace talvor;

namespace {

class StepDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.Show();
        netlist = dir.Write("rc.net", "RC\nV1 1 0 1\nR1 1 2 1000\nC1 2 0 1e-6\nRL 2 0 1e6\n"
                                      ".AC DEC 20 1 100000\n");
        app.form1.SetOpenDialogFileName(QString::fromStdString(netlist));
        Control<QAction>(app.form1, "Variar1").trigger();
        ASSERT_NE(app.StepDialogWindow(), nullptr);
        dialog = app.StepDialogWindow();
    }

    template <typename T>
    T& Field(const char* name)
    {
        return Control<T>(*dialog, name);
    }
    QStringList Items(const char* name)
    {
        QStringList items;
        QComboBox& box = Field<QComboBox>(name);
        for (int k = 0; k < box.count(); ++k)
            items << box.itemText(k);
        return items;
    }
    void Executar() { QTest::mouseClick(&Field<QPushButton>("Button1"), Qt::LeftButton); }
    QStringList CurveList() const
    {
        return Control<QPlainTextEdit>(app.form4, "Memo1").toPlainText().split('\n');
    }
    bool Logged(const QString& start) const
    {
        const auto& memo = Control<LogView>(app.form1, "Memo1");
        for (qsizetype i = 0; i < memo.LineCount(); ++i)
            if (memo.Line(i).startsWith(start))
                return true;
        return false;
    }

    TempDir dir;
    TalvorApp app{{}, [] {}};
    std::string netlist;
    StepDialog* dialog = nullptr;
};

TEST_F(StepDialogTest, ListsTheNetlistsElementsValuesAndUnknowns)
{
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Variar parâmetro"));
    EXPECT_EQ(Items("CBelemento"), (QStringList{"V1", "R1", "C1", "RL"}));
    EXPECT_EQ(Items("CBno"), (QStringList{"1", "2", "jV1"}));
    EXPECT_EQ(Field<QComboBox>("CBno").currentText(), QStringLiteral("2")); // the last node
    Field<QComboBox>("CBelemento").setCurrentIndex(1);
    EXPECT_EQ(Items("CBvalor"), (QStringList{"R"}));
    EXPECT_EQ(Field<QLineEdit>("Evalores").text(), QStringLiteral("500,1000,2000"));
    Field<QComboBox>("CBelemento").setCurrentIndex(0);
    EXPECT_EQ(Items("CBvalor"), (QStringList{"mod", "fase", "DC"}));
    EXPECT_EQ(Field<QComboBox>("CBvalor").currentText(), QStringLiteral("mod"));
    EXPECT_EQ(Field<QLineEdit>("Etolerancias").text(), QStringLiteral("R:5%,C:10%"));
    EXPECT_TRUE(Field<QPushButton>("Button1").isEnabled());
    EXPECT_EQ(LayoutFaults(*dialog), "");
}

TEST_F(StepDialogTest, EachStepIsACurveWhoseLegendNamesItsValue)
{
    Field<QComboBox>("CBelemento").setCurrentText("R1");
    Field<QLineEdit>("Evalores").setText("1000,2000,0,4000"); // 0 fails: no curve for it
    Executar();
    const QString table = QString::fromStdString(dir.Path() + "/rc_");
    EXPECT_EQ(CurveList(), (QStringList{"* 2m em cada passo", table + "1.tab f 2m \"R1 = 1000\"",
                                        table + "2.tab f 2m \"R1 = 2000\"",
                                        table + "4.tab f 2m \"R1 = 4000\""}));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.form5));
    const CurveStore& store = app.curveStore;
    ASSERT_EQ(store.curveCount, 3);
    EXPECT_EQ(LegendText(3, store.curves[3]), QStringLiteral("3: R1 = 4000"));
    EXPECT_TRUE(store.logX && store.logY);
    EXPECT_TRUE(Logged("Passo 3 falhou."));
    EXPECT_TRUE(Logged(QString::fromStdString("Medidas de cada passo no arquivo " + dir.Path() +
                                              "/rc_medidas.tab:")));
    EXPECT_TRUE(Logged("3 de 4 passos terminados com sucesso."));
    EXPECT_TRUE(Control<QAction>(app.form1, "Abrir1").isEnabled());
    EXPECT_FALSE(Control<QAction>(app.form1, "Parar1").isEnabled());
    if (const char* screenshot = std::getenv("TALVOR_STEPS_SCREENSHOT"))
        app.form5.grab().save(QString::fromLocal8Bit(screenshot));
}

TEST_F(StepDialogTest, ALongMonteCarloIsDrawnAsItsEnvelope)
{
    Field<QRadioButton>("RBmontecarlo").setChecked(true);
    Field<QLineEdit>("Etolerancias").setText("R:5%,C:10%");
    Field<QLineEdit>("Eexecucoes").setText("25");
    Field<QLineEdit>("Esemente").setText("7");
    Executar();
    const QString envelope = QString::fromStdString(dir.Path() + "/rc_envelope.tab");
    EXPECT_EQ(CurveList(),
              (QStringList{"* 2m em cada execução", envelope + " f min2m \"mínimo\"",
                           envelope + " f med2m \"mediana\"", envelope + " f max2m \"máximo\""}));
    EXPECT_EQ(app.curveStore.curveCount, 3);
    EXPECT_TRUE(Logged("Monte Carlo: 25 execuções, distribuição uniforme, semente 7."));
    EXPECT_TRUE(Logged("As 25 execuções não cabem no gráfico (até 20 curvas)"));
}

TEST_F(StepDialogTest, AFewMonteCarloRunsAreEachACurve)
{
    Field<QRadioButton>("RBmontecarlo").setChecked(true);
    Field<QLineEdit>("Etolerancias").setText("R1:5%");
    Field<QLineEdit>("Eexecucoes").setText("3");
    Field<QComboBox>("CBdistribuicao").setCurrentIndex(1);
    Executar();
    ASSERT_EQ(app.curveStore.curveCount, 3);
    // One varied value: the legend names it.
    EXPECT_TRUE(LegendText(1, app.curveStore.curves[1]).startsWith("1: R1 = "));
    EXPECT_TRUE(Logged("Monte Carlo: 3 execuções, distribuição normal (tolerância = 3 sigma), "
                       "semente "));
}

struct BadChoice {
    const char* values;
    const char* tolerances;
    const char* runs;
    const char* seed;
    bool monteCarlo;
    const char* message;
};

TEST_F(StepDialogTest, WrongFieldsAreSaidInTheDialogAndNothingRuns)
{
    const BadChoice cases[] = {
        {"1k,2k", "", "20", "", false, "Valores inválidos"},
        {"", "", "20", "", false, "Valores inválidos"},
        {"lin:1:2", "", "20", "", false, "Valores inválidos"},
        {"", "R=5%", "20", "", true, "Tolerâncias inválidas"},
        {"", "R:500%", "20", "", true, "Tolerâncias inválidas"},
        {"", "R:5%", "0", "", true, "Número de execuções inválido"},
        {"", "R:5%", "1001", "", true, "Número de execuções inválido"},
        {"", "R:5%", "20", "-3", true, "Semente inválida"},
    };
    for (const BadChoice& c : cases) {
        Field<QRadioButton>(c.monteCarlo ? "RBmontecarlo" : "RBpassos").setChecked(true);
        Field<QLineEdit>("Evalores").setText(c.values);
        Field<QLineEdit>("Etolerancias").setText(c.tolerances);
        Field<QLineEdit>("Eexecucoes").setText(c.runs);
        Field<QLineEdit>("Esemente").setText(c.seed);
        Executar();
        EXPECT_TRUE(Field<QLabel>("Lmensagem").text().startsWith(QString::fromUtf8(c.message)))
            << c.message;
        EXPECT_FALSE(Logged("Passos de")) << c.message;
        EXPECT_FALSE(Logged("Monte Carlo:")) << c.message;
    }
}

// After a SPICE deck was analysed, the dialog varies the netlist converted from it, whose elements
// it listed, and not the deck the open dialog names (whose continuation line only the converter
// reads).
TEST_F(StepDialogTest, VariesTheNetlistLastAnalysed)
{
    const std::string deck =
        dir.Write("divisor.cir", "Divisor\nV1 a 0 AC 1\nR1 a b 1k\nR2 b 0\n+ 1k\n.ac dec 1 1 10\n");
    app.form1.SetOpenDialogFileName(QString::fromStdString(deck));
    app.RunAnalysisFromOpenDialog();
    Control<QAction>(app.form1, "Variar1").trigger();
    EXPECT_EQ(Items("CBelemento"), (QStringList{"V1", "R1", "R2"}));
    Field<QComboBox>("CBelemento").setCurrentText("R2");
    Field<QLineEdit>("Evalores").setText("1000,3000");
    Executar();
    const QString table = QString::fromStdString(dir.Path() + "/divisor_");
    EXPECT_EQ(CurveList(), (QStringList{"* bm em cada passo", table + "1.tab f bm \"R2 = 1000\"",
                                        table + "2.tab f bm \"R2 = 3000\""}));
    EXPECT_TRUE(Logged("2 de 2 passos terminados com sucesso."));
}

TEST_F(StepDialogTest, ANetlistThatCannotBeReadLeavesNothingToRun)
{
    app.form1.SetOpenDialogFileName(QString::fromStdString(dir.Path() + "/falta.net"));
    Control<QAction>(app.form1, "Variar1").trigger();
    EXPECT_FALSE(Field<QPushButton>("Button1").isEnabled());
    EXPECT_TRUE(Field<QLabel>("Lmensagem").text().startsWith("O netlist não pôde ser lido"));
    EXPECT_EQ(Field<QComboBox>("CBelemento").count(), 0);
}

} // namespace
