// Plotting from the desktop program: analyse the example, "Gráfico", "Copiar", "Plotar".
#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "app/talvor_app.h"
#include "plot/graph_geometry.h"
#include "test_support.h"
#include "window_support.h"

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
