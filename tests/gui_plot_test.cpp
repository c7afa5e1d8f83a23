// Plotting from the desktop program: analyse the example, "Gráfico", "Copiar", "Plotar".
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

TEST(GuiPlot, TheExampleTablePlotsTheMagnitudeOfNodeOneOnLogLogAxes)
{
    TempDir dir;
    const std::string netlist =
        dir.Write("exemplo.net", ReadWholeFile(TALVOR_EXAMPLES "/exemplo.net"));
    TalvorApp app({}, [] {});
    app.Show();
    app.form1.SetOpenDialogFileName(QString::fromStdString(netlist));
    app.RunAnalysisFromOpenDialog();
    app.form1.Grfico1->trigger();
    ASSERT_TRUE(app.form4.isVisible());
    QTest::mouseClick(app.form4.Button4, Qt::LeftButton); // "Copiar"
    EXPECT_EQ(app.form4.Memo1->toPlainText().split('\n').last(),
              QString::fromStdString(dir.Path() + "/exemplo.tab f 1m"));
    QTest::mouseClick(app.form4.Button3, Qt::LeftButton); // "Plotar"
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app.form5));
    app.form5.PaintBox1->repaint();

    const CurveStore& store = app.curveStore;
    ASSERT_EQ(store.curveCount, 1);
    EXPECT_TRUE(store.plotReady && store.pictureSaved);
    EXPECT_TRUE(store.logX && store.logY);
    EXPECT_STREQ(store.curves[1].xName, "f");
    EXPECT_STREQ(store.curves[1].yName, "1m");
    EXPECT_GT(store.curves[1].pointCount, 1);

    // The curve's first point lies on the screen in curve 1's colour (white).
    QImage shown = app.form5.PaintBox1->grab().toImage();
    const Curve& c = store.curves[1];
    int column = 0, row = 0;
    ASSERT_TRUE(MapToPixel(std::log(c.x[0]), c.scaleX, c.offsetX, column));
    ASSERT_TRUE(MapToPixel(std::log(c.y[0]), c.scaleY, c.offsetY, row));
    EXPECT_EQ(shown.pixel(column, row), 0xFFFFFFFFu);
    EXPECT_EQ(column, 75); // the first frequency is the left limit

    if (const char* screenshot = std::getenv("TALVOR_SCREENSHOT"))
        app.form5.grab().save(QString::fromLocal8Bit(screenshot));
}
