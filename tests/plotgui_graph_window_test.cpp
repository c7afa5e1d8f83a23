// The graph window driven by real key and mouse events on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "plot/curve_store.h"
#include "plot/graph_cursors.h"
#include "plot/graph_window.h"
#include "plot/plot_run.h"
#include "plot/view_commands.h"
#include "test_support.h"
#include "window_support.h"

using namespace talvor;

namespace {

// Answers the colour chooser from a list (nothing: cancelled) and notes the status line it was
// opened with.
class ScriptedChooser : public ColourChooser {
public:
    explicit ScriptedChooser(const QStatusBar& status) : status_(status) {}
    std::vector<std::optional<uint32_t>> answers;
    QStringList statusWhenAsked;

    bool Choose(uint32_t& rgb) override
    {
        statusWhenAsked << status_.currentMessage();
        if (answers.empty())
            return false;
        std::optional<uint32_t> answer = answers.front();
        answers.erase(answers.begin());
        if (answer)
            rgb = *answer;
        return answer.has_value();
    }

private:
    const QStatusBar& status_;
};

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
        form.SetColourChooser(&chooser);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        paintBox.repaint();
        ASSERT_TRUE(store->pictureSaved);
    }
    QString Status() const { return statusBar.currentMessage(); }

    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    PlotOptions options;
    TForm5 form{*store, options};
    QWidget& paintBox = Control<QWidget>(form, "PaintBox1");
    QStatusBar& statusBar = Control<QStatusBar>(form, "StatusBar1");
    ScriptedChooser chooser{statusBar};
    std::vector<std::optional<uint32_t>>& answers = chooser.answers;
    QStringList& statusWhenAsked = chooser.statusWhenAsked;
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

// A key that is no command goes on to the base class, which leaves it unaccepted for the parent
// (a dialog's Escape, an application shortcut); a command key is taken.
TEST_F(Interaction, KeysThatAreNoCommandGoOnToTheBaseClass)
{
    struct Case {
        Qt::Key key;
        const char* text;
        bool taken;
    };
    const Case cases[] = {
        {Qt::Key_A, "a", true},  {Qt::Key_Left, "", true},        {Qt::Key_Space, " ", true},
        {Qt::Key_A, "A", false}, {Qt::Key_Shift, "", false},      {Qt::Key_Escape, "\x1b", false},
        {Qt::Key_F1, "", false}, {Qt::Key_Z, "z", true},          {Qt::Key_M, "m", true},
        {Qt::Key_M, "M", false}, {Qt::Key_N, "n", true},          {Qt::Key_N, "N", false},
        {Qt::Key_Z, "Z", false}, {Qt::Key_Backspace, "\b", true}, {Qt::Key_1, "1", true},
        {Qt::Key_2, "2", true},  {Qt::Key_0, "0", true},          {Qt::Key_3, "3", false},
    };
    for (const Case& c : cases) {
        QKeyEvent event(QEvent::KeyPress, c.key, Qt::NoModifier, QString::fromLatin1(c.text));
        QApplication::sendEvent(&form, &event);
        EXPECT_EQ(event.isAccepted(), c.taken) << c.key << " " << c.text;
        // A command repaints at once; any other key leaves the picture to draw again later.
        EXPECT_EQ(store->pictureSaved, c.taken) << c.key;
        paintBox.repaint();
    }
}

// "m" leaves the view alone: it asks for the measurements once and draws the picture again.
TEST_F(Interaction, MeasureKeyAsksForTheMeasurements)
{
    QSignalSpy requests(&form, &TForm5::MeasureRequested);
    const double xMax = store->viewXMax;
    int drawings = form.FullDrawingCount();
    QTest::keyClick(&form, 'm');
    EXPECT_EQ(requests.count(), 1);
    EXPECT_EQ(form.FullDrawingCount(), drawings + 1);
    EXPECT_TRUE(store->pictureSaved);
    EXPECT_EQ(store->viewXMax, xMax);
    QTest::keyClick(&form, 'M');
    EXPECT_EQ(requests.count(), 1);
}

TEST_F(Interaction, ShiftAloneClearsTheSavedPictureWithoutRepainting)
{
    int drawings = form.FullDrawingCount();
    QTest::keyClick(&form, Qt::Key_Shift);
    EXPECT_FALSE(store->pictureSaved);
    EXPECT_EQ(form.FullDrawingCount(), drawings);
    QTest::mouseMove(&paintBox, QPoint(300, 200));
    EXPECT_FALSE(Status().startsWith("X=")); // no readout until the picture is complete again
}

TEST_F(Interaction, LegendClicksChooseCurveAndGridColours)
{
    answers = {0x123456u};
    QTest::mouseClick(&paintBox, Qt::LeftButton, {}, QPoint(10, 40));
    EXPECT_EQ(statusWhenAsked, QStringList{QStringLiteral("Cor para curva=2")});
    EXPECT_EQ(store->curves[2].colour, 0x123456u);

    answers = {std::nullopt};
    QTest::mouseClick(&paintBox, Qt::LeftButton, {}, QPoint(10, 55));
    EXPECT_EQ(store->curves[3].colour, 0x00FF00u); // cancelled: unchanged

    for (int y : {5, 20}) {
        answers = {0x010203u, std::nullopt};
        statusWhenAsked.clear();
        int drawings = form.FullDrawingCount();
        QTest::mouseClick(&paintBox, Qt::LeftButton, {}, QPoint(10, y));
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
    QTest::mousePress(&paintBox, Qt::LeftButton, {}, start);
    EXPECT_TRUE(form.Zooming());
    QTest::mouseMove(&paintBox, end);
    EXPECT_TRUE(Status().startsWith("dX=")) << Status().toStdString();
    QTest::mouseRelease(&paintBox, Qt::LeftButton, {},
                        end + QPoint(50, 50)); // the last move counts
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
        QTest::mousePress(&paintBox, Qt::LeftButton, {}, QPoint(300, 200));
        QTest::mouseMove(&paintBox, end);
        QTest::mouseRelease(&paintBox, Qt::LeftButton, {}, end);
        EXPECT_EQ(store->viewXMin, limits[0]);
        EXPECT_EQ(store->viewXMax, limits[1]);
        EXPECT_EQ(store->viewYMin, limits[2]);
        EXPECT_EQ(store->viewYMax, limits[3]);
        EXPECT_TRUE(Status().isEmpty()) << Status().toStdString(); // no "dX=" of a box not used
    }
}

// "z" and Backspace go back through the views one change at a time, mouse zooms included; a
// command that leaves the view as it was is no step, and a new plot starts afresh.
TEST_F(Interaction, ZoomHistoryGoesBackStepByStep)
{
    const ViewLimits start = LimitsOf(*store);
    QTest::keyClick(&form, 'a');
    const ViewLimits zoomed = LimitsOf(*store);
    QTest::keyClick(&form, Qt::Key_Right);
    const ViewLimits panned = LimitsOf(*store);
    QTest::mousePress(&paintBox, Qt::LeftButton, {}, QPoint(200, 100));
    QTest::mouseMove(&paintBox, QPoint(400, 300));
    QTest::mouseRelease(&paintBox, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_FALSE(LimitsOf(*store) == panned);
    QTest::keyClick(&form, 'c'); // colours: the view stays
    EXPECT_EQ(form.ViewsBack(), 3);
    QTest::keyClick(&form, 'z');
    EXPECT_TRUE(LimitsOf(*store) == panned);
    QTest::keyClick(&form, Qt::Key_Backspace);
    EXPECT_TRUE(LimitsOf(*store) == zoomed);
    QTest::keyClick(&form, 'z');
    EXPECT_TRUE(LimitsOf(*store) == start);
    EXPECT_TRUE(store->pictureSaved);
    QTest::keyClick(&form, 'z'); // nothing left to go back to
    EXPECT_TRUE(LimitsOf(*store) == start);

    QTest::keyClick(&form, 'a');
    form.ShowPlot();
    EXPECT_EQ(form.ViewsBack(), 0);
}

// "1" and "2" put the cursors on the curve point nearest the mouse, Ctrl+click and Shift+click
// too; Ctrl with an arrow moves the last one placed along its curve; "0" takes them away. The
// status line's right part reads them out; the picture shows them.
TEST_F(Interaction, CursorsStandOnTheCurvesAndReadOutTheirValues)
{
    // The fixture's curve n rises from 0 at x = 0 to 10 n at x = 100.
    const Curve& c = store->curves[1];
    auto pixel = [&](double x, double y) {
        return QPoint(static_cast<int>(std::lround(x * c.scaleX + c.offsetX)),
                      static_cast<int>(std::lround(y * c.scaleY + c.offsetY)));
    };
    QLabel& readout = Control<QLabel>(form, "LabelCursores");
    EXPECT_TRUE(readout.text().isEmpty());
    const GraphCursors& cursors = form.Cursors();
    double x = 0, y = 0;

    QTest::mouseMove(&paintBox, pixel(50, 15) + QPoint(0, 3)); // just below curve 3's middle
    QTest::keyClick(&form, '1');
    ASSERT_TRUE(cursors.place[0].placed);
    EXPECT_EQ(cursors.place[0].curve, 3);
    ASSERT_TRUE(CursorValues(*store, cursors.place[0], x, y));
    EXPECT_NEAR(x, 50, 0.5);
    EXPECT_NEAR(y, 15, 0.15);
    EXPECT_TRUE(readout.text().startsWith("1: f=")) << readout.text().toStdString();

    QTest::mouseMove(&paintBox, pixel(80, 8));
    QTest::keyClick(&form, '2');
    EXPECT_EQ(cursors.place[1].curve, 1);
    EXPECT_EQ(cursors.active, 1);
    EXPECT_TRUE(readout.text().contains(QStringLiteral("Δf="))) << readout.text().toStdString();
    EXPECT_TRUE(readout.text().endsWith(" dB)")) << readout.text().toStdString();
    // The dashed line of cursor 2 crosses the plot in the foreground colour.
    const QImage shown = paintBox.grab().toImage();
    int white = 0;
    for (int row = 20; row < 440; ++row)
        white += shown.pixel(pixel(80, 8).x(), row) == 0xFFFFFFFFu;
    EXPECT_GT(white, 150);

    const ViewLimits view = LimitsOf(*store);
    QTest::keyClick(&form, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(cursors.place[1].index, 1); // the curve's last sample
    EXPECT_EQ(cursors.place[1].t, 0);
    EXPECT_TRUE(LimitsOf(*store) == view); // no pan
    QTest::keyClick(&form, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(cursors.place[1].index, 0);

    QTest::mouseClick(&paintBox, Qt::LeftButton, Qt::ControlModifier, pixel(50, 10));
    EXPECT_FALSE(form.Zooming());
    EXPECT_EQ(cursors.place[0].curve, 2);
    EXPECT_EQ(cursors.active, 0);
    QTest::mouseClick(&paintBox, Qt::LeftButton, Qt::ShiftModifier, pixel(50, 15));
    EXPECT_EQ(cursors.place[1].curve, 3);

    QTest::keyClick(&form, '0');
    EXPECT_FALSE(cursors.Any());
    EXPECT_TRUE(readout.text().isEmpty());
}

TEST_F(Interaction, ReadoutAndZoomNeedTheCommonScale)
{
    store->anyPhase = true;
    QTest::mouseMove(&paintBox, QPoint(413, 232));
    EXPECT_TRUE(Status().startsWith("X=")) << Status().toStdString();
    EXPECT_TRUE(Status().contains(" F=")) << Status().toStdString();

    options.CBauto = true;
    statusBar.showMessage(QString());
    QTest::mouseMove(&paintBox, QPoint(420, 240));
    EXPECT_TRUE(Status().isEmpty());
    QTest::mousePress(&paintBox, Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_FALSE(form.Zooming());
    QTest::mouseRelease(&paintBox, Qt::LeftButton, {}, QPoint(300, 200));
}

TEST_F(Interaction, TheZoomBoxLeavesTheSavedPictureIntact)
{
    const QImage picture = form.SavedPicture().toImage();
    QTest::mousePress(&paintBox, Qt::LeftButton, {}, QPoint(300, 200));
    QTest::mouseMove(&paintBox, QPoint(250, 100)); // up and left: shown, but no zoom
    paintBox.repaint();
    EXPECT_FALSE(paintBox.grab().toImage() == picture); // the box is on the screen
    EXPECT_TRUE(form.SavedPicture().toImage() == picture);
    QTest::mouseRelease(&paintBox, Qt::LeftButton, {}, QPoint(250, 100));
    paintBox.repaint();
    EXPECT_TRUE(paintBox.grab().toImage() == picture);
}

TEST_F(Interaction, TheWindowTakesTheKeyboardWhenAPlotShowsIt)
{
    TForm5 shown(*store, options);
    shown.ShowPlot();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &shown; }));
    EXPECT_EQ(shown.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(Control<QWidget>(shown, "PaintBox1").hasMouseTracking());
}

TEST_F(Interaction, KeysOnLogarithmicAxes)
{
    store->logX = store->logY = true;
    store->viewXMin = 1, store->viewXMax = 10000;
    store->viewYMin = 0.01, store->viewYMax = 100;
    struct Step {
        int key; // a character or a Qt key
        double xMin, xMax, yMin, yMax;
    };
    const Step steps[] = {
        {'a', 1, 100, 0.01, 100},          {'r', 1, 10000, 0.01, 100},
        {'>', 10, 100000, 0.01, 100},      {Qt::Key_Left, 1, 10000, 0.01, 100},
        {'+', 1, 10000, 0.01, 1},          {'-', 1, 10000, 0.01, 100},
        {'u', 1, 10000, 0.1, 1000},        {Qt::Key_Down, 1, 10000, 0.01, 100},
        {Qt::Key_Up, 1, 10000, 0.1, 1000},
    };
    for (const Step& s : steps) {
        int drawings = form.FullDrawingCount();
        if (s.key < 0x100)
            QTest::keyClick(&form, static_cast<char>(s.key));
        else
            QTest::keyClick(&form, static_cast<Qt::Key>(s.key));
        EXPECT_DOUBLE_EQ(store->viewXMin, s.xMin) << s.key;
        EXPECT_DOUBLE_EQ(store->viewXMax, s.xMax) << s.key;
        EXPECT_DOUBLE_EQ(store->viewYMin, s.yMin) << s.key;
        EXPECT_DOUBLE_EQ(store->viewYMax, s.yMax) << s.key;
        EXPECT_EQ(form.FullDrawingCount(), drawings + 1) << s.key;
        EXPECT_TRUE(store->logX && store->logY);
    }
}

// Held down, "a" halves the view until the limits would meet; the view stays drawable.
TEST_F(Interaction, RepeatedZoomsKeepTheViewDrawable)
{
    for (int i = 0; i < 1100; ++i)
        QTest::keyClick(&form, 'a');
    EXPECT_EQ(store->viewXMin, 0);
    EXPECT_GT(store->viewXMax, 0);
    EXPECT_TRUE(store->pictureSaved);
    QTest::mouseMove(&paintBox, QPoint(400, 200));
    EXPECT_TRUE(Status().startsWith("X=")) << Status().toStdString();
    EXPECT_FALSE(Status().contains("nan") || Status().contains("inf")) << Status().toStdString();
}

TEST_F(Interaction, TheSchemeKeyTwiceOnTheScreen)
{
    store->majorGridColour = 0x00FF00;
    store->curves[1].colour = 0xFF0000;
    QTest::keyClick(&form, 'i');
    QImage blackOnWhite = paintBox.grab().toImage();
    EXPECT_EQ(blackOnWhite.pixel(400, 100), 0xFFFFFFFFu);
    EXPECT_EQ(blackOnWhite.pixel(400, 453), 0xFF000000u); // the horizontal axis
    QTest::keyClick(&form, 'i');
    EXPECT_EQ(store->curves[1].colour, 0xFFFFFFu);
    EXPECT_EQ(store->majorGridColour, 0xC0C0C0u);
    QImage whiteOnBlack = paintBox.grab().toImage();
    EXPECT_EQ(whiteOnBlack.pixel(400, 100), 0xFF000000u);
    EXPECT_EQ(whiteOnBlack.pixel(400, 453), 0xFFFFFFFFu);
}

TEST_F(Interaction, RandomColoursByKey)
{
    for (int press = 0; press < 20; ++press) {
        QTest::keyClick(&form, 'c');
        for (int k = 1; k <= MaxCurves; ++k) {
            uint32_t colour = store->curves[k].colour;
            for (int shift : {0, 8, 16})
                EXPECT_LE((colour >> shift) & 0xFF, 254u);
        }
    }
    EXPECT_TRUE(store->pictureSaved);
    EXPECT_EQ(store->foregroundColour, 0xFFFFFFu);
}

// The zoom box shows on any background, over the grid and the curves: along its outline no more
// than three pixels in a row are close in colour to what lies beneath. Nothing else changes on
// the screen.
TEST_F(Interaction, TheZoomBoxShowsOnAnyBackground)
{
    auto contrasts = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) >= 96 || std::abs(qGreen(a) - qGreen(b)) >= 96 ||
               std::abs(qBlue(a) - qBlue(b)) >= 96;
    };
    const Curve& c = store->curves[1];
    const int gridRow = static_cast<int>(10 * c.scaleY + c.offsetY + 0.5); // a dotted grid line
    for (uint32_t background : {0x000000u, 0xFFFFFFu, 0x808080u, 0x7F7F7Fu, 0xFF0000u, 0x00FFFFu}) {
        store->backgroundColour = background;
        store->pictureSaved = false;
        paintBox.repaint();
        const QImage picture = form.SavedPicture().toImage();
        const QRect box(QPoint(200, 100), QPoint(400, gridRow));
        QTest::mousePress(&paintBox, Qt::LeftButton, {}, box.topLeft());
        QTest::mouseMove(&paintBox, box.bottomRight());
        const QImage screen = paintBox.grab().toImage();
        QTest::mouseRelease(&paintBox, Qt::LeftButton, {}, box.topLeft()); // no zoom
        // Each edge from corner to corner: its pixels close in colour to the picture, in a row.
        int longestRun = 0;
        const QPoint corners[] = {box.topLeft(), box.topRight(), box.bottomRight(),
                                  box.bottomLeft(), box.topLeft()};
        for (int edge = 0; edge < 4; ++edge) {
            const QPoint from = corners[edge], to = corners[edge + 1];
            const QPoint step((to.x() > from.x()) - (to.x() < from.x()),
                              (to.y() > from.y()) - (to.y() < from.y()));
            int run = 0;
            for (QPoint p = from; p != to + step; p += step) {
                run = contrasts(screen.pixel(p), picture.pixel(p)) ? 0 : run + 1;
                longestRun = std::max(longestRun, run);
            }
        }
        EXPECT_LE(longestRun, 3) << std::hex << background;
        int elsewhere = 0;
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x)
                elsewhere += screen.pixel(x, y) != picture.pixel(x, y) &&
                             !(((x == box.left() || x == box.right()) && y >= box.top() &&
                                y <= box.bottom()) ||
                               ((y == box.top() || y == box.bottom()) && x >= box.left() &&
                                x <= box.right()));
        EXPECT_EQ(elsewhere, 0) << std::hex << background;
    }
}

TEST_F(Interaction, TheReadoutAtThePlotCorners)
{
    store->anyPhase = true;
    QTest::mouseMove(&paintBox, QPoint(75, 453));
    EXPECT_EQ(Status().toStdString(), "X=0 Y=0 F=-180"); // not "Y=-0"
    QTest::mouseMove(&paintBox, QPoint(751, 10));
    EXPECT_EQ(Status().toStdString(), "X=100 Y=30 F=180");
}

TEST_F(Interaction, KeysWorkWithEachCurveOnItsOwnScale)
{
    options.CBauto = true;
    QTest::keyClick(&form, 'a'); // limits the drawing uses again when CBauto is off
    EXPECT_EQ(store->viewXMax, 50);
    EXPECT_TRUE(store->pictureSaved);
    const QString status = Status();
    QTest::mousePress(&paintBox, Qt::LeftButton, {}, QPoint(200, 100));
    QTest::mouseMove(&paintBox, QPoint(400, 300));
    QTest::mouseRelease(&paintBox, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_EQ(Status(), status);
    EXPECT_EQ(store->viewXMax, 50);
}

// Ctrl+S writes the picture the window shows: SVG when the name says so (parsed back: its texts
// are the labels and legends, and it draws), else a PNG of the screen's pixels (".png" added to
// a name without one); a cancelled dialog writes nothing; a file that cannot be written is said
// in the status line. Ctrl+C puts the picture on the clipboard as an image and as SVG.
TEST_F(Interaction, ThePictureGoesToFilesAndTheClipboard)
{
    TempDir dir;
    const QString folder = QString::fromStdString(dir.Path());
    QString answer, suggested;
    form.saveDialog = [&](const QString& name) {
        suggested = name;
        return answer;
    };
    options.CBdivisoes = true;
    QTest::mouseMove(&paintBox, QPoint(400, 200));
    QTest::keyClick(&form, '1'); // a cursor, which the pictures show too

    answer = folder + "/grafico.svg";
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(suggested, QStringLiteral("grafico.png"));
    EXPECT_EQ(Status(), "Figura gravada no arquivo " + answer + ".");
    QFile file(answer);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList texts;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QStringLiteral("text"))
            texts << xml.readElementText().trimmed();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    for (const char* text : {"1: f x 1m", "2: f x 1m", "0", "50", "100", "f", "módulo", "1"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text)))
            << text << " in " << texts.join('|').toStdString();
    QSvgRenderer renderer(answer);
    EXPECT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(0, 0, 761, 471));

    answer = folder + "/figura";
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(suggested, folder + "/grafico.svg"); // the last file offered again
    const QImage png(folder + "/figura.png");
    ASSERT_FALSE(png.isNull());
    EXPECT_TRUE(png.convertToFormat(QImage::Format_RGB32) ==
                paintBox.grab().toImage().convertToFormat(QImage::Format_RGB32));

    answer = QString(); // cancelled
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Status().startsWith("Tamanho da tela")) << Status().toStdString();
    answer = folder + "/nao/existe.svg";
    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Status(), "Não foi possível gravar a figura no arquivo " + answer + ".");
    EXPECT_FALSE(QFile::exists(answer));

    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&form, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(qvariant_cast<QImage>(copied->imageData()).size(), png.size());
    EXPECT_TRUE(copied->data(QStringLiteral("image/svg+xml")).startsWith("<?xml"));
    EXPECT_EQ(Status(), QStringLiteral("Figura copiada."));
    EXPECT_EQ(store->curves[1].colour, 0xFFFFFFu); // Ctrl+C is not "c"
}

// ColorDialog1 itself: it opens on the colour it returned last, black the first time, with the
// colour it replaces as its first custom colour.
TEST(ColorDialog1, OpensOnTheColourItReturnedLast)
{
    QWidget parent;
    ColorDialogChooser chooser(&parent);
    EXPECT_EQ(chooser.Dialog()->objectName(), QStringLiteral("ColorDialog1"));
    std::vector<uint32_t> shown, replaced;
    auto answerWith = [&](std::optional<QColor> colour) {
        QTimer::singleShot(0, [&, colour] {
            shown.push_back(chooser.Dialog()->currentColor().rgb() & 0xFFFFFF);
            replaced.push_back(QColorDialog::customColor(0).rgb() & 0xFFFFFF);
            if (colour) {
                chooser.Dialog()->setCurrentColor(*colour);
                chooser.Dialog()->accept();
            } else {
                chooser.Dialog()->reject();
            }
        });
    };
    uint32_t rgb = 0xABCDEF;
    answerWith(QColor(0x12, 0x34, 0x56));
    EXPECT_TRUE(chooser.Choose(rgb));
    EXPECT_EQ(rgb, 0x123456u);
    rgb = 0xABCDEF;
    answerWith(std::nullopt);
    EXPECT_FALSE(chooser.Choose(rgb));
    EXPECT_EQ(rgb, 0xABCDEFu); // cancelled: untouched
    answerWith(QColor(0xFE, 0xFF, 0x01));
    rgb = 0x654321;
    EXPECT_TRUE(chooser.Choose(rgb));
    EXPECT_EQ(rgb, 0xFEFF01u);
    EXPECT_EQ(shown, (std::vector<uint32_t>{0x000000, 0x123456, 0x123456}));
    // The colour being replaced is offered among the custom colours.
    EXPECT_EQ(replaced, (std::vector<uint32_t>{0xABCDEF, 0xABCDEF, 0x654321}));
}

// A dense screen (ctest runs these with QT_SCALE_FACTOR=2): the saved picture has the screen's
// pixels, while sizes, the mouse and the readout stay in units.
TEST_F(Interaction, OnADenseScreenThePictureHasTheScreensPixels)
{
    const qreal ratio = paintBox.devicePixelRatio();
    if (ratio == 1)
        GTEST_SKIP() << "needs a scale factor, as in QT_SCALE_FACTOR=2";
    EXPECT_EQ(paintBox.size(), QSize(761, 471));
    const QPixmap& picture = form.SavedPicture();
    EXPECT_EQ(picture.devicePixelRatio(), ratio);
    EXPECT_EQ(picture.size(), QSize(qCeil(761 * ratio), qCeil(471 * ratio)));
    EXPECT_TRUE(paintBox.grab().toImage() == picture.toImage()); // copied pixel for pixel

    // Moves sent as the platform delivers them, in units (QTest rounds them on such screens).
    auto moveTo = [&](QPointF at) {
        QMouseEvent move(QEvent::MouseMove, at, paintBox.mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&paintBox, &move);
    };
    store->anyPhase = true;
    moveTo(QPointF(75, 453));
    EXPECT_EQ(Status().toStdString(), "X=0 Y=0 F=-180");
    moveTo(QPointF(751, 10));
    EXPECT_EQ(Status().toStdString(), "X=100 Y=30 F=180");
}
