// The curve list and graph windows: controls, buttons, the Plot run's hand-over and the saved
// picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/message_log.h"
#include "plot/curve_list_window.h"
#include "plot/curve_store.h"
#include "plot/graph_window.h"
#include "test_support.h"
#include "window_support.h"

using namespace talvor;

namespace {

// The two windows wired as the program wires them, logging into a recording sink.
struct PlotWindows {
    PlotWindows()
    {
        QObject::connect(&form4, &TForm4::PlotReady, &form5, &TForm5::ShowPlot);
        QObject::connect(&form4, &TForm4::PlotFailed, &form5, &TForm5::ShowNothingToPlot);
    }

    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PlotOptions options;
    RecordingSink sink;
    MessageLog log{sink};
    TForm4 form4{*store, options, log};
    TForm5 form5{*store, options};
    QPlainTextEdit& memo = Control<QPlainTextEdit>(form4, "Memo1");
    QWidget& paintBox = Control<QWidget>(form5, "PaintBox1");
    QStatusBar& statusBar = Control<QStatusBar>(form5, "StatusBar1");

    void Click(const char* button)
    {
        QTest::mouseClick(&Control<QPushButton>(form4, button), Qt::LeftButton);
    }
    QLineEdit& Field(const char* name) { return Control<QLineEdit>(form4, name); }
    QString Status() { return Control<QLabel>(form4, "LabelEstado").text(); }
    QString LastMemoLine() const { return memo.toPlainText().split(QLatin1Char('\n')).last(); }
    bool Logged(const std::string& line) const
    {
        return std::find(sink.lines.begin(), sink.lines.end(), line) != sink.lines.end();
    }
};

} // namespace

TEST(CurveListWindow, ControlsWithTheirCaptionsAndDefaults)
{
    PlotWindows w;
    TForm4& form = w.form4;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Lista de curvas"));
    EXPECT_EQ(w.memo.toPlainText(),
              QStringLiteral("* Curvas a plotar: <arquivo> <coluna x> <coluna y>"));
    struct Button {
        const char* name;
        const char* caption;
    };
    for (Button b : {Button{"Button1", "Procurar"}, Button{"Button2", "Limpar lista"},
                     Button{"Button3", "Plotar"}, Button{"Button4", "Copiar"},
                     Button{"Button5", "Colunas..."}}) {
        auto* button = form.findChild<QPushButton*>(QString::fromLatin1(b.name));
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption));
    }
    struct Check {
        const char* name;
        const char* caption;
        bool checked;
    };
    for (Check c : {Check{"CBnomes", "Usar nomes das colunas", true},
                    Check{"CBauto", "Escalar cada curva separadamente", false},
                    Check{"CBescalas", "Usar estas escalas", false},
                    Check{"CBmarcar", "Marcar pontos", false},
                    Check{"CBfase", "Fases na coluna 2 entre +/-180 graus", true},
                    Check{"CBdivisoes", "Divisões numeradas", false}}) {
        auto* box = form.findChild<QCheckBox*>(QString::fromLatin1(c.name));
        ASSERT_NE(box, nullptr) << c.name;
        EXPECT_EQ(box->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(box->isChecked(), c.checked) << c.name;
    }
    struct Field {
        const char* name;
        const char* text;
    };
    for (Field f :
         {Field{"Exmin", "0"}, Field{"Exmax", "1"}, Field{"Eymin", "-1"}, Field{"Eymax", "1"}}) {
        auto* edit = form.findChild<QLineEdit*>(QString::fromLatin1(f.name));
        ASSERT_NE(edit, nullptr) << f.name;
        EXPECT_EQ(edit->text(), QString::fromLatin1(f.text));
    }
    // The four fields sit from top to bottom in the order Xmin, Xmax, Ymin, Ymax.
    form.show();
    EXPECT_LT(w.Field("Exmin").y(), w.Field("Exmax").y());
    EXPECT_LT(w.Field("Exmax").y(), w.Field("Eymin").y());
    EXPECT_LT(w.Field("Eymin").y(), w.Field("Eymax").y());
    auto* scale = form.findChild<QGroupBox*>(QStringLiteral("RGescala"));
    ASSERT_NE(scale, nullptr);
    EXPECT_EQ(scale->title(), QStringLiteral("Escala"));
    QStringList items;
    for (QRadioButton* item : scale->findChildren<QRadioButton*>())
        items << item->text() + (item->isChecked() ? "*" : "");
    EXPECT_EQ(items, (QStringList{"Linear-Linear", "Log-Log*", "Linear-Log", "Log-Linear"}));
}

// The window opens at its first size with Memo1 593 x 425. Enlarged, Memo1 takes the new room;
// at its smallest, every control is still in sight.
TEST(CurveListWindow, ControlsStayInSightAtAnySize)
{
    PlotWindows w;
    TForm4& form = w.form4;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.size(), QSize(849, 479));
    EXPECT_EQ(w.memo.size(), QSize(593, 425));
    EXPECT_EQ(LayoutFaults(form), "");
    const QRect column = Control<QPushButton>(form, "Button2").geometry();

    form.resize(1200, 700);
    QApplication::processEvents();
    EXPECT_EQ(w.memo.size(), QSize(593 + 351, 425 + 221));
    EXPECT_EQ(Control<QPushButton>(form, "Button2").geometry().size(), column.size());
    EXPECT_EQ(LayoutFaults(form), "");

    form.resize(100, 100);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), form.minimumSize());
    EXPECT_LT(form.width(), 849);
    EXPECT_LE(form.height(), 479);
    EXPECT_EQ(LayoutFaults(form), "");
}

TEST(CurveListWindow, ControlsKeepThePlotOptionsCurrent)
{
    PlotWindows w;
    Control<QCheckBox>(w.form4, "CBauto").setChecked(true);
    Control<QCheckBox>(w.form4, "CBnomes").setChecked(false);
    w.Field("Exmin").setText(QStringLiteral("0.5"));
    w.form4.findChild<QRadioButton*>(QStringLiteral("RGescala3"))->setChecked(true);
    const PlotOptions& options = w.options;
    EXPECT_TRUE(options.CBauto);
    EXPECT_FALSE(options.CBnomes);
    EXPECT_EQ(options.Exmin, "0.5");
    EXPECT_EQ(options.RGescala, 3);
}

TEST(CurveListWindow, PlotarWithTheInitialListHasNothingToPlot)
{
    PlotWindows w;
    w.Click("Button3");
    EXPECT_EQ(w.sink.lines, std::vector<std::string>{"Nada a plotar."});
    EXPECT_FALSE(w.form5.isVisible());

    w.Click("Button2"); // "Limpar lista"
    EXPECT_TRUE(w.memo.toPlainText().isEmpty());
    EXPECT_TRUE(w.form4.CurveLines().empty());
}

TEST(CurveListWindow, CopiarAndProcurarAddALineForATable)
{
    PlotWindows w;
    w.Click("Button4");
    EXPECT_EQ(w.LastMemoLine(), QStringLiteral("teste.tab f 1m"));
    w.form4.SetTablePath(QStringLiteral("/tmp/circuito.tab")); // as the analysis hands it over
    w.Click("Button4");
    EXPECT_EQ(w.LastMemoLine(), QStringLiteral("/tmp/circuito.tab f 1m"));

    QString offered;
    w.form4.openDialog = [&](const QString& start) {
        offered = start;
        return QStringLiteral("/dados/outro.tab");
    };
    w.Click("Button1");
    EXPECT_EQ(offered, QStringLiteral("/tmp/circuito.tab"));
    EXPECT_EQ(w.LastMemoLine(), QStringLiteral("/dados/outro.tab f 1m"));
    EXPECT_EQ(w.form4.TablePath(), QStringLiteral("/dados/outro.tab"));

    w.form4.openDialog = [](const QString&) { return QString(); }; // cancelled
    w.Click("Button1");
    EXPECT_EQ(w.form4.CurveLines().size(), 4u);
}

// A table whose nodes have names has no column "1m": the added line names its first magnitude
// column, so that it plots.
TEST(CurveListWindow, CopiarAndProcurarOnATableWithNamedNodes)
{
    PlotWindows w;
    TempDir dir;
    const std::string table = dir.Write("filtro.tab", "f entradam entradaf saidam saidaf \n"
                                                      "10 1 0 0.5 -10\n100 1 0 0.1 -80\n");
    w.memo.clear();
    w.form4.SetTablePath(QString::fromStdString(table));
    w.Click("Button4");
    EXPECT_EQ(w.LastMemoLine(), QString::fromStdString(table + " f entradam"));
    w.form4.openDialog = [&](const QString&) { return QString::fromStdString(table); };
    w.Click("Button1");
    EXPECT_EQ(w.LastMemoLine(), QString::fromStdString(table + " f entradam"));
    w.Click("Button3");
    EXPECT_TRUE(w.Logged("Tabela 2: f x entradam"));
    EXPECT_TRUE(w.store->plotReady);
}

// "Colunas..." lists the table's unknowns with magnitude and phase side by side, the likely
// output checked; "OK" adds a line per checked column, "Cancelar" nothing. Its "Tabela..." picks
// another table, which then is the one the curve list browses.
TEST(CurveListWindow, ColunasAddsALinePerCheckedColumn)
{
    PlotWindows w;
    TempDir dir;
    const std::string run = dir.Write("amp.tab", "f vccm vccf basem basef saidam saidaf jVccm "
                                                 "jVccf \n1 12 0 0.6 0 8 180 0.001 180\n");
    const std::string other = dir.Write("outra.tab", "t v i\n0 1 2\n");
    w.memo.clear();
    w.form4.SetTablePath(QString::fromStdString(run));
    w.form4.SetRunTable(QString::fromStdString(run), 3);
    struct Answer {
        std::vector<std::pair<int, int>> toggle; // row, column (1 magnitude, 2 phase)
        bool accept;
        bool otherTable;
    };
    std::vector<QStringList> shown; // each row of each picker: name, magnitude, phase checks
    Answer answer;
    w.form4.openDialog = [&](const QString&) { return QString::fromStdString(other); };
    w.form4.runDialog = [&](QDialog& dialog) {
        if (answer.otherTable)
            QTest::mouseClick(&Control<QPushButton>(dialog, "ButtonTabela"), Qt::LeftButton);
        auto& list = Control<QTableWidget>(dialog, "ListaColunas");
        QStringList rows;
        for (int row = 0; row < list.rowCount(); ++row) {
            QString line = list.item(row, 0)->text();
            for (int column : {1, 2})
                line += QLatin1Char(' ') + list.item(row, column)->text() +
                        (list.item(row, column)->checkState() == Qt::Checked ? "*" : "");
            rows << line;
        }
        shown.push_back(rows);
        for (auto [row, column] : answer.toggle)
            list.item(row, column)
                ->setCheckState(list.item(row, column)->checkState() == Qt::Checked ? Qt::Unchecked
                                                                                    : Qt::Checked);
        return answer.accept ? QDialog::Accepted : QDialog::Rejected;
    };

    answer = {{}, true, false};
    w.Click("Button5");
    EXPECT_EQ(shown.back(), (QStringList{"vcc vccm vccf", "base basem basef",
                                         "saida saidam* saidaf", "jVcc jVccm jVccf"}));
    EXPECT_EQ(w.form4.CurveLines(), std::vector<std::string>{run + " f saidam"});

    answer = {{{2, 2}, {1, 1}}, true, false}; // saida's phase and base's magnitude too
    w.Click("Button5");
    EXPECT_EQ(w.form4.CurveLines(),
              (std::vector<std::string>{run + " f saidam", run + " f basem", run + " f saidam",
                                        run + " f saidaf"}));

    answer = {{{2, 2}}, false, false}; // "Cancelar"
    w.Click("Button5");
    EXPECT_EQ(w.form4.CurveLines().size(), 4u);

    answer = {{{1, 1}}, true, true}; // another table: its columns one by one, none a node
    w.Click("Button5");
    EXPECT_EQ(shown.back(), (QStringList{"v v ", "i i "}));
    EXPECT_EQ(w.form4.CurveLines().back(), other + " t i");
    EXPECT_EQ(w.form4.TablePath(), QString::fromStdString(other));
}

TEST(CurveListWindow, APlotShowsTheGraphAndTheComputedLimits)
{
    PlotWindows w;
    TempDir dir;
    std::string table = dir.Write("rc.tab", "f 1m 1f \n10 1 -5\n100 0.5 -45\n1000 0.1 -85\n");
    w.form4.SetTablePath(QString::fromStdString(table));
    w.Click("Button4");
    w.Click("Button3");
    EXPECT_TRUE(w.Logged("Tabela 1: f x 1m"));
    EXPECT_TRUE(w.Logged("A tabela 1, " + table + ", tem 3 linhas e está nas colunas 1 e 2."));
    EXPECT_EQ(w.Field("Exmin").text(), QStringLiteral("10"));
    EXPECT_EQ(w.Field("Exmax").text(), QStringLiteral("1000"));
    EXPECT_EQ(w.Field("Eymin").text(), QStringLiteral("0.1"));
    EXPECT_EQ(w.Field("Eymax").text(), QStringLiteral("1"));
    EXPECT_TRUE(w.form5.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.form5));
    EXPECT_EQ(w.paintBox.size(), QSize(761, 471));

    w.paintBox.repaint();
    EXPECT_TRUE(w.store->pictureSaved);
    EXPECT_EQ(w.statusBar.currentMessage(), QStringLiteral("Tamanho da tela: 761 x 471"));
    EXPECT_TRUE(w.store->logX && w.store->logY);
    const int drawings = w.form5.FullDrawingCount();
    EXPECT_GE(drawings, 1);

    // While the picture is saved a repaint only copies it, and shows the same picture.
    QImage before = w.paintBox.grab().toImage();
    w.paintBox.repaint();
    EXPECT_EQ(w.form5.FullDrawingCount(), drawings);
    EXPECT_TRUE(before == w.paintBox.grab().toImage());
    EXPECT_EQ(before.pixel(400, 453), 0xFFFFFFFFu); // the horizontal axis

    // A resize clears it; the next repaint draws at the new size.
    w.form5.resize(500, 300 + 19);
    EXPECT_FALSE(w.store->pictureSaved);
    w.paintBox.repaint();
    EXPECT_GT(w.form5.FullDrawingCount(), drawings);
    EXPECT_EQ(w.statusBar.currentMessage(), QStringLiteral("Tamanho da tela: 500 x 300"));
    EXPECT_EQ(w.form5.SavedPicture().size(), QSize(500, 300));
}

// A failed Plot run says why under the curve list, and the graph window, when open, says that
// there is nothing to plot instead of keeping the old picture.
TEST(CurveListWindow, AFailedPlotSaysWhyAndLeavesNoOldPicture)
{
    PlotWindows w;
    TempDir dir;
    std::string table = dir.Write("rc.tab", "f 1m\n10 1\n100 2\n");
    w.memo.setPlainText(QString::fromStdString(table + " f zz"));
    w.Click("Button3");
    EXPECT_EQ(w.Status(), QStringLiteral("Coluna zz não encontrada."));
    EXPECT_FALSE(w.form5.isVisible()); // a hidden graph window stays hidden

    w.memo.setPlainText(QString::fromStdString(table + " f 1m"));
    w.Click("Button3");
    EXPECT_TRUE(w.Status().isEmpty());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.form5));
    w.paintBox.repaint();
    ASSERT_TRUE(w.store->pictureSaved);
    const QImage shown = w.paintBox.grab().toImage();
    EXPECT_EQ(shown.pixel(400, 453), 0xFFFFFFFFu); // the horizontal axis

    w.memo.setPlainText(QString::fromStdString(table + " f zz"));
    w.Click("Button3");
    EXPECT_TRUE(w.Logged("Coluna zz não encontrada."));
    EXPECT_EQ(w.Status(), QStringLiteral("Coluna zz não encontrada."));
    EXPECT_FALSE(w.store->plotReady);
    EXPECT_FALSE(w.store->pictureSaved);
    w.paintBox.repaint();
    const QImage empty = w.paintBox.grab().toImage();
    EXPECT_EQ(empty.pixel(400, 453), 0xFF000000u); // the axis is gone
    // "Nada a plotar." in the middle, in the foreground colour.
    int written = 0;
    for (int x = 300; x < 460; ++x)
        for (int y = 220; y < 250; ++y)
            written += empty.pixel(x, y) == 0xFFFFFFFFu;
    EXPECT_GT(written, 20);

    w.memo.setPlainText(QStringLiteral("* nada"));
    w.Click("Button3");
    EXPECT_EQ(w.Status(), QStringLiteral("Nada a plotar."));
}

// On a screen too short for the column of controls, the column scrolls: every control can be
// scrolled into sight (a field as far as its cursor), and the window is as short as the screen
// needs.
TEST(CurveListWindow, AColumnTooTallForTheScreenScrolls)
{
    PlotWindows w;
    TForm4& form = w.form4;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto& column = Control<QScrollArea>(form, "ScrollControles");
    EXPECT_EQ(column.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff); // the screen holds it

    form.FitControlsIntoHeight(200);
    QApplication::processEvents(); // the layout takes the new minimum
    form.resize(form.minimumSizeHint());
    QApplication::processEvents();
    EXPECT_LT(form.height(), 240);
    EXPECT_EQ(column.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    for (const char* name : {"Button1", "Button5", "Button3", "CBnomes", "Exmax", "RGescala3",
                             "CBfase", "CBdivisoes"}) {
        QWidget& control = Control<QWidget>(form, name);
        column.ensureWidgetVisible(&control, 0, 0);
        QApplication::processEvents();
        const QRect inViewport(control.mapTo(column.viewport(), QPoint()), control.size());
        EXPECT_TRUE(column.viewport()->rect().contains(inViewport.center()))
            << name << " at " << inViewport.y() << " of " << column.viewport()->height();
    }
    form.FitControlsIntoHeight(QWIDGETSIZE_MAX);
    form.resize(849, 479);
    QApplication::processEvents();
    EXPECT_EQ(LayoutFaults(form), "");
}
