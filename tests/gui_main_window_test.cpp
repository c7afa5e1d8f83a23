// Start-up state of the desktop program: windows, captions, menu, manual.
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "app/log_view.h"
#include "app/talvor_app.h"
#include "window_support.h"

using namespace talvor;

TEST(GuiStartup, OnlyMainWindowShownWithItsMenu)
{
    TalvorApp app;
    app.Show();
    EXPECT_TRUE(app.form1.isVisible());
    EXPECT_FALSE(app.form2.isVisible());
    EXPECT_FALSE(app.form3.isVisible());
    EXPECT_FALSE(app.form4.isVisible());
    EXPECT_FALSE(app.form5.isVisible());
    EXPECT_EQ(app.form1.windowTitle(),
              QStringLiteral("Análise de Resposta em Frequência de Circuitos Não Lineares"));
    EXPECT_EQ(app.form2.windowTitle(), QStringLiteral("Parâmetros"));
    EXPECT_EQ(app.form3.windowTitle(), QStringLiteral("Sobre"));
    EXPECT_EQ(app.form4.windowTitle(), QStringLiteral("Lista de curvas"));
    EXPECT_EQ(app.form5.windowTitle(), QStringLiteral("Gráficos"));
    EXPECT_EQ(app.form1.size(), QSize(1137, 576));
    EXPECT_EQ(app.form4.TablePath(), QStringLiteral("teste.tab"));
    EXPECT_EQ(app.form1.OpenDialogFileName(), QStringLiteral("teste.net"));

    auto* parar = app.form1.findChild<QAction*>(QStringLiteral("Parar1"));
    ASSERT_NE(parar, nullptr);
    EXPECT_FALSE(parar->isEnabled());
    // Entries that act on a click sit on the menu bar itself, in this order.
    QStringList barEntries;
    for (QAction* action : app.form1.menuBar()->actions())
        barEntries << action->text();
    // Each with its Alt mnemonic, all different.
    EXPECT_EQ(barEntries, (QStringList{QStringLiteral("&Arquivo"), QStringLiteral("&Configuração"),
                                       QStringLiteral("&Gráfico"), QStringLiteral("&Parar análise"),
                                       QStringLiteral("&Sobre"),
                                       QStringLiteral("&Variar parâmetro...")}));
    for (const char* name : {"Anlise1", "Grfico1", "Parar1", "Sobre1", "Variar1"}) {
        auto* action = app.form1.findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->menu(), nullptr) << name;
        EXPECT_TRUE(app.form1.menuBar()->actions().contains(action)) << name;
    }
    auto* arquivo = app.form1.findChild<QMenu*>(QStringLiteral("Arquivo1"));
    ASSERT_NE(arquivo, nullptr);
    // The two entries of old first; the log's two after a separator.
    struct Entry {
        const char* name;
        const char* text;
        QKeySequence shortcut;
    };
    const Entry entries[] = {
        {"Abrir1", "&Abrir", QKeySequence(QStringLiteral("Ctrl+O"))},
        {"Terminar1", "&Terminar", QKeySequence(QStringLiteral("Ctrl+Q"))},
        {"", "", QKeySequence()},
        {"Salvar1", "&Salvar relatório...", QKeySequence()},
        {"Limpar1", "&Limpar relatório", QKeySequence()},
    };
    ASSERT_EQ(arquivo->actions().size(), qsizetype(std::size(entries)));
    for (qsizetype k = 0; k < arquivo->actions().size(); ++k) {
        const QAction* action = arquivo->actions()[k];
        EXPECT_EQ(action->isSeparator(), *entries[k].name == '\0') << k;
        EXPECT_EQ(action->objectName(), QString::fromLatin1(entries[k].name));
        EXPECT_EQ(action->text(), QString::fromUtf8(entries[k].text));
        EXPECT_EQ(action->shortcut(), entries[k].shortcut) << entries[k].name;
    }
}

TEST(GuiStartup, LogHoldsTheManualWithAFixedPitchFont)
{
    TalvorApp app;
    auto* memo = app.form1.findChild<LogView*>(QStringLiteral("Memo1"));
    ASSERT_NE(memo, nullptr);
    QFontMetrics metrics(memo->font()); // the reports' columns need equal advances
    EXPECT_EQ(metrics.horizontalAdvance(QLatin1Char('i')),
              metrics.horizontalAdvance(QLatin1Char('M')));
    EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    ASSERT_GT(memo->LineCount(), 40);
    EXPECT_EQ(
        memo->Line(0),
        QStringLiteral("Talvor - Análise de resposta em frequência de circuitos não lineares"));
    QStringList manual;
    for (qsizetype i = 0; i < memo->LineCount(); ++i)
        manual << memo->Line(i);
    for (const char* heading : {"Elementos aceitos e linhas do netlist:", "Opções de configuração:",
                                "Uso com linha de comando:"})
        EXPECT_TRUE(manual.contains(QString::fromUtf8(heading))) << heading;
}

TEST(GuiStartup, TheManualShowsFromItsTop)
{
    TalvorApp app;
    app.Show();
    auto& memo = *app.form1.findChild<LogView*>(QStringLiteral("Memo1"));
    for (int i = 0; i < 100 && memo.ShownLineCount() < memo.LineCount(); ++i)
        QTest::qWait(LogView::RefreshIntervalMs);
    ASSERT_EQ(memo.ShownLineCount(), memo.LineCount());
    ASSERT_GT(memo.LineCount(), memo.VisibleRows()); // the manual is longer than the window
    EXPECT_EQ(memo.FirstVisibleLine(), 0);
}

TEST(GuiStartup, AboutBoxShowsTheVersionOnlyAfterSobre)
{
    TalvorApp app;
    app.Show();
    EXPECT_EQ(app.form3.size(), QSize(369, 129));
    const QLabel& label1 = Control<QLabel>(app.form3, "Label1");
    EXPECT_EQ(Control<QLabel>(app.form3, "Label2").text(), QStringLiteral("Programa Talvor"));
    EXPECT_TRUE(label1.text().isEmpty());
    Control<QAction>(app.form1, "Sobre1").trigger();
    EXPECT_TRUE(app.form3.isVisible());
    EXPECT_EQ(label1.text(), QStringLiteral("Versão 1.4 de 16/12/2018"));
    Control<QAction>(app.form1, "Anlise1").trigger();
    EXPECT_TRUE(app.form2.isVisible());
    Control<QAction>(app.form1, "Grfico1").trigger();
    EXPECT_TRUE(app.form4.isVisible());
}

// A laptop's screen of 1600 x 1000 pixels at twice the pixels per unit (ctest runs this so):
// each window opens within the 800 x 500 units available, with every control in sight.
TEST(GuiScreens, OnASmallScreenEveryWindowOpensWithinIt)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    if (available.width() >= 1137 && available.height() >= 576)
        GTEST_SKIP() << "needs a screen smaller than the main window, as ctest's gui_small_screen";
    TalvorApp app;
    app.Show();
    app.ShowSettings();
    app.ShowCurveList();
    app.ShowAbout();
    app.form5.show();
    for (QWidget* window : {static_cast<QWidget*>(&app.form1), static_cast<QWidget*>(&app.form2),
                            static_cast<QWidget*>(&app.form3), static_cast<QWidget*>(&app.form4),
                            static_cast<QWidget*>(&app.form5)}) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << window->objectName().toStdString();
        EXPECT_TRUE(available.contains(window->frameGeometry()))
            << window->objectName().toStdString() << " at " << window->x() << "," << window->y()
            << " " << window->width() << "x" << window->height();
        EXPECT_EQ(LayoutFaults(*window), "") << window->objectName().toStdString();
    }
    EXPECT_GT(app.form1.width(), available.width() - 20); // narrower than 1137, as wide as it may
}
