// The graph window driven by real key and mouse events on the offscreen platform.
#include <gtest/gtest.h>

#include <QStatusBar>
#include <QTest>
#include <memory>
#include <vector>

#include "plot/curve_store.h"
#include "plot/graph_window.h"
#include "plot/plot_run.h"

namespace {

class Interaction : public testing::Test {
protected:
    void SetUp() override
    {
        store->beginPlot();
        for (int n = 1; n <= 3; ++n) {
            int k = store->addCurve("t.tab", "f", "1m", ' ');
            Curve& c = store->curves[k];
            c.x[0] = 0, c.y[0] = 0, c.x[1] = 100, c.y[1] = 10 * n;
            c.pointCount = 2;
        }
        store->computeRanges(true, ScaleMode::LinearLinear);
        store->plotReady = true;
        form.colorDialog = [this](uint32_t shown) -> std::optional<uint32_t> {
            shownColours.push_back(shown);
            statusWhenAsked.push_back(Status());
            if (answers.empty())
                return std::nullopt;
            std::optional<uint32_t> answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        };
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.PaintBox1->repaint();
        ASSERT_TRUE(store->pictureSaved);
    }
    QString Status() const { return form.StatusBar1->currentMessage(); }

    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PlotOptions options;
    TForm5 form{*store, options};
    std::vector<std::optional<uint32_t>> answers;
    std::vector<uint32_t> shownColours;
    QStringList statusWhenAsked;
};

} // namespace

TEST_F(Interaction, KeysChangeTheViewAndRepaintAtOnce)
{
    ASSERT_EQ(store->viewXMax, 100);
    int drawings = form.FullDrawingCount();
    QTest::keyClick(&form, 'a');
    EXPECT_EQ(store->viewXMax, 50);
    EXPECT_EQ(form.FullDrawingCount(), drawings + 1);
    EXPECT_TRUE(store->pictureSaved);
    QTest::keyClick(&form, Qt::Key_Right);
    EXPECT_EQ(store->viewXMin, 12.5);
    QTest::keyClick(&form, '<');
    EXPECT_EQ(store->viewXMin, 0);
    QTest::keyClick(&form, Qt::Key_Up);
    EXPECT_EQ(store->viewYMin, 7.5);
    QTest::keyClick(&form, Qt::Key_Down);
    EXPECT_EQ(store->viewYMin, 0);
    QTest::keyClick(&form, 'A'); // not a command, but the picture must be drawn again
    EXPECT_EQ(store->viewXMax, 50);
    EXPECT_FALSE(store->pictureSaved);

    options.Exmax = "1e3";
    options.Eymax = "nada";
    QTest::keyClick(&form, ' ');
    EXPECT_EQ(store->viewXMin, 0);
    EXPECT_EQ(store->viewXMax, 1000);
    EXPECT_EQ(store->viewYMax, 30); // the field holds no number
}

TEST_F(Interaction, ShiftAloneClearsTheSavedPictureWithoutRepainting)
{
    int drawings = form.FullDrawingCount();
    QTest::keyClick(&form, Qt::Key_Shift);
    EXPECT_FALSE(store->pictureSaved);
    EXPECT_EQ(form.FullDrawingCount(), drawings);
    QTest::mouseMove(form.PaintBox1, QPoint(300, 200));
    EXPECT_FALSE(Status().startsWith("X=")); // no readout until the picture is complete again
}

TEST_F(Interaction, LegendClicksChooseCurveAndGridColours)
{
    answers = {0x123456u};
    QTest::mouseClick(form.PaintBox1, Qt::LeftButton, {}, QPoint(10, 40));
    EXPECT_EQ(statusWhenAsked, QStringList{QStringLiteral("Cor para curva=2")});
    EXPECT_EQ(store->curves[2].colour, 0x123456u);
    EXPECT_EQ(shownColours, std::vector<uint32_t>{0u}); // black at first

    answers = {std::nullopt};
    QTest::mouseClick(form.PaintBox1, Qt::LeftButton, {}, QPoint(10, 55));
    EXPECT_EQ(store->curves[3].colour, 0x00FF00u); // cancelled: unchanged
    EXPECT_EQ(shownColours.back(), 0x123456u);     // shows the colour it returned last

    for (int y : {5, 20}) {
        answers = {0x010203u, std::nullopt};
        statusWhenAsked.clear();
        int drawings = form.FullDrawingCount();
        QTest::mouseClick(form.PaintBox1, Qt::LeftButton, {}, QPoint(10, y));
        EXPECT_EQ(store->majorGridColour, 0x010203u);
        EXPECT_EQ(store->minorGridColour, 0x808080u);
        EXPECT_EQ(statusWhenAsked, (QStringList{QStringLiteral("Cor para grade principal"),
                                                QStringLiteral("Cor para grade secundária")}));
        EXPECT_EQ(form.FullDrawingCount(), drawings + 1); // repainted even without a second colour
    }
}

TEST_F(Interaction, ADragRightAndDownZoomsIntoTheBox)
{
    const Curve& c = store->curves[1];
    auto column = [&](double x) { return static_cast<int>(x * c.scaleX + c.offsetX + 0.5); };
    auto row = [&](double y) { return static_cast<int>(y * c.scaleY + c.offsetY + 0.5); };
    QPoint start(column(20), row(25)), end(column(60), row(5));
    QTest::mousePress(form.PaintBox1, Qt::LeftButton, {}, start);
    EXPECT_TRUE(form.Zooming());
    QTest::mouseMove(form.PaintBox1, end);
    EXPECT_TRUE(Status().startsWith("dX=")) << Status().toStdString();
    QTest::mouseRelease(form.PaintBox1, Qt::LeftButton, {}, end + QPoint(50, 50)); // the last move counts
    EXPECT_FALSE(form.Zooming());
    EXPECT_NEAR(store->viewXMin, 20, 0.2);
    EXPECT_NEAR(store->viewXMax, 60, 0.2);
    EXPECT_NEAR(store->viewYMin, 5, 0.1);
    EXPECT_NEAR(store->viewYMax, 25, 0.1);
}

TEST_F(Interaction, DragsInOtherDirectionsAndClicksDoNotZoom)
{
    const double limits[] = {store->viewXMin, store->viewXMax, store->viewYMin, store->viewYMax};
    for (QPoint end : {QPoint(200, 100), QPoint(400, 100), QPoint(200, 300), QPoint(300, 200)}) {
        QTest::mousePress(form.PaintBox1, Qt::LeftButton, {}, QPoint(300, 200));
        QTest::mouseMove(form.PaintBox1, end);
        QTest::mouseRelease(form.PaintBox1, Qt::LeftButton, {}, end);
        EXPECT_EQ(store->viewXMin, limits[0]);
        EXPECT_EQ(store->viewXMax, limits[1]);
        EXPECT_EQ(store->viewYMin, limits[2]);
        EXPECT_EQ(store->viewYMax, limits[3]);
    }
}

TEST_F(Interaction, ReadoutAndZoomNeedTheCommonScale)
{
    store->anyPhase = true;
    QTest::mouseMove(form.PaintBox1, QPoint(413, 232));
    EXPECT_TRUE(Status().startsWith("X=")) << Status().toStdString();
    EXPECT_TRUE(Status().contains(" F=")) << Status().toStdString();

    options.CBauto = true;
    form.StatusBar1->showMessage(QString());
    QTest::mouseMove(form.PaintBox1, QPoint(420, 240));
    EXPECT_TRUE(Status().isEmpty());
    QTest::mousePress(form.PaintBox1, Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_FALSE(form.Zooming());
    QTest::mouseRelease(form.PaintBox1, Qt::LeftButton, {}, QPoint(300, 200));
}

TEST_F(Interaction, TheZoomBoxLeavesTheSavedPictureIntact)
{
    const QImage picture = form.savedPicture.toImage();
    QTest::mousePress(form.PaintBox1, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(form.PaintBox1, QPoint(250, 100)); // up and left: shown, but no zoom
    form.PaintBox1->repaint();
    EXPECT_FALSE(form.PaintBox1->grab().toImage() == picture); // the box is on the screen
    EXPECT_TRUE(form.savedPicture.toImage() == picture);
    QTest::mouseRelease(form.PaintBox1, Qt::LeftButton, {}, QPoint(250, 100));
    form.PaintBox1->repaint();
    EXPECT_TRUE(form.PaintBox1->grab().toImage() == picture);
}
