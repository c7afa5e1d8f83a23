// The graph window used with real key and mouse events: zoom and pan keys, the normal view, the
// colour commands and choosers, the mouse zoom box and the values in the status line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <memory>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "plot/colour_chooser.h"
#include "plot/curve_list_window.h"
#include "plot/curve_store.h"
#include "plot/graph_commands.h"
#include "plot/graph_window.h"
#include "test_support.h"

// Failures show the text, not its UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace {

// Answers the colour choosers from a script and notes the status line each one was opened with.
class ScriptedChooser : public ColourChooser {
public:
    explicit ScriptedChooser(const QStatusBar& status) : status_(status) {}
    std::vector<std::optional<uint32_t>> answers; // nullopt: cancelled
    QStringList prompts;

    bool Choose(uint32_t& rgb) override
    {
        prompts << status_.currentMessage();
        if (prompts.size() > static_cast<int>(answers.size()) || !answers[prompts.size() - 1])
            return false;
        rgb = *answers[prompts.size() - 1];
        return true;
    }

private:
    const QStatusBar& status_;
};

// The curve list and the graph window as the program wires them, with a plotted table.
class GraphInteraction : public testing::Test {
protected:
    GraphInteraction() { form5.SetColourChooser(&chooser); }

    // Plots table (its text) with every curve line given, in the scale mode of the radio group.
    void Plot(const std::string& table, const std::vector<std::string>& columns, ScaleMode mode)
    {
        std::string path = dir.Write("grafico.tab", table);
        QString lines;
        for (const std::string& c : columns)
            lines += QString::fromStdString(path + " " + c + "\n");
        form4.Memo1->setPlainText(lines);
        form4.findChild<QRadioButton*>(QStringLiteral("RGescala%1").arg(static_cast<int>(mode)))->setChecked(true);
        QTest::mouseClick(form4.Button3, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form5));
        form5.PaintBox1->repaint();
        ASSERT_TRUE(store->pictureSaved);
    }
    // x from 0 to 100 and y from 1 to 10000 and phases; as many curves as columns are given.
    void PlotLinear(std::vector<std::string> columns = {"x y"})
    {
        Plot("x y yf\n0 1 -90\n50 100 0\n100 10000 90\n", columns, ScaleMode::LinearLinear);
    }
    void PlotLogLog() { Plot("x y\n1 0.01\n100 1\n10000 100\n", {"x y"}, ScaleMode::LogLog); }

    void Key(char key) { QTest::keyClick(&form5, key); }
    void Key(Qt::Key key) { QTest::keyClick(&form5, key); }
    QString Status() const { return form5.StatusBar1->currentMessage(); }
    void ExpectX(double low, double high, const char* after)
    {
        EXPECT_DOUBLE_EQ(store->viewXMin, low) << after;
        EXPECT_DOUBLE_EQ(store->viewXMax, high) << after;
    }
    void ExpectY(double low, double high, const char* after)
    {
        EXPECT_DOUBLE_EQ(store->viewYMin, low) << after;
        EXPECT_DOUBLE_EQ(store->viewYMax, high) << after;
    }
    void Press(int x, int y) { QTest::mousePress(form5.PaintBox1, Qt::LeftButton, {}, QPoint(x, y)); }
    void Move(int x, int y) { QTest::mouseMove(form5.PaintBox1, QPoint(x, y)); }
    void Release(int x, int y) { QTest::mouseRelease(form5.PaintBox1, Qt::LeftButton, {}, QPoint(x, y)); }

    TempDir dir;
    std::unique_ptr<CurveStore> store = std::make_unique<CurveStore>();
    RecordingSink sink;
    MessageLog log{sink};
    TForm4 form4{*store, log, form5};
    TForm5 form5{*store, form4.Options()};
    ScriptedChooser chooser{*form5.StatusBar1};
};

TEST_F(GraphInteraction, TheWindowTakesTheKeyboardWhenShown)
{
    PlotLinear();
    EXPECT_EQ(form5.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(form5.PaintBox1->hasMouseTracking());
    EXPECT_EQ(QApplication::focusWidget(), &form5);
}

// Each command draws again at once: the picture is complete and saved when the key returns.
TEST_F(GraphInteraction, KeysZoomAndPanALinearAxisAndRepaintAtOnce)
{
    PlotLinear();
    ExpectX(0, 100, "the plot");
    int drawings = form5.FullDrawingCount();
    Key('a');
    ExpectX(0, 50, "a");
    Key('r');
    ExpectX(0, 100, "r");
    Key('>');
    ExpectX(25, 125, ">");
    Key('<');
    ExpectX(0, 100, "<");
    Key(Qt::Key_Right);
    ExpectX(25, 125, "Right");
    Key(Qt::Key_Left);
    ExpectX(0, 100, "Left");
    EXPECT_EQ(form5.FullDrawingCount(), drawings + 6);
    EXPECT_TRUE(store->pictureSaved);
    EXPECT_EQ(Status(), QStringLiteral("Tamanho da tela: 761 x 471"));
    ExpectY(1, 10000, "horizontal keys");

    Key('u');
    ExpectY(2500.75, 12499.75, "u");
    Key(Qt::Key_Down);
    ExpectY(1, 10000, "Down");
    Key(Qt::Key_Up);
    ExpectY(2500.75, 12499.75, "Up");
    Key('d');
    ExpectY(1, 10000, "d");
    EXPECT_EQ(form5.FullDrawingCount(), drawings + 10);
}

TEST_F(GraphInteraction, KeysOnLogarithmicAxes)
{
    PlotLogLog();
    ASSERT_TRUE(store->logX && store->logY);
    ExpectX(1, 10000, "the plot");
    ExpectY(0.01, 100, "the plot");
    Key('a');
    ExpectX(1, 100, "a");
    Key('r');
    ExpectX(1, 10000, "r");
    Key('>');
    ExpectX(10, 100000, ">");
    Key('+');
    ExpectY(0.01, 1, "+");
    Key(' ');
    ExpectX(1, 10000, "space");
    ExpectY(0.01, 100, "space");
    Key('u');
    ExpectY(0.1, 1000, "u");
    Key('-');
    ExpectY(0.1, 1e7, "-");
}

TEST_F(GraphInteraction, CapitalsAndOtherCharactersOnlyForgetThePicture)
{
    PlotLinear();
    const int drawings = form5.FullDrawingCount();
    for (char key : {'A', 'R', 'U', 'D', 'C', 'I', 'z'}) {
        Key(key);
        EXPECT_FALSE(store->pictureSaved) << key;
        form5.PaintBox1->repaint();
    }
    ExpectX(0, 100, "capitals");
    ExpectY(1, 10000, "capitals");
    EXPECT_EQ(store->foregroundColour, 0xFFFFFFu);
    EXPECT_EQ(form5.FullDrawingCount(), drawings + 7); // only the repaints drew
}

TEST_F(GraphInteraction, SpaceReadsTheLimitFieldsLeavingNonNumbers)
{
    PlotLinear();
    Key('a');
    Key('u');
    form4.Exmin->setText(QStringLiteral("10"));
    form4.Exmax->setText(QStringLiteral("máximo"));
    form4.Eymin->setText(QStringLiteral("2"));
    form4.Eymax->setText(QStringLiteral("3e3 V"));
    Key(' ');
    ExpectX(10, 50, "space");
    ExpectY(2, 3000, "space");
    EXPECT_TRUE(store->pictureSaved);
}

TEST_F(GraphInteraction, ThePressedSchemeKeyTwiceRestoresTheDefaults)
{
    PlotLinear();
    store->majorGridColour = 0x00FF00;
    store->curves[1].colour = 0xFF0000;
    Key('i');
    EXPECT_EQ(store->backgroundColour, 0xFFFFFFu);
    QImage white = form5.PaintBox1->grab().toImage();
    EXPECT_EQ(white.pixel(400, 200), 0xFFFFFFFFu);
    EXPECT_EQ(white.pixel(400, 453), 0xFF000000u); // the horizontal axis, in black
    Key('i');
    EXPECT_EQ(store->foregroundColour, 0xFFFFFFu);
    EXPECT_EQ(store->backgroundColour, 0x000000u);
    EXPECT_EQ(store->curves[1].colour, 0xFFFFFFu);
    EXPECT_EQ(store->majorGridColour, 0xC0C0C0u);
    EXPECT_EQ(store->minorGridColour, 0x808080u);
    EXPECT_EQ(form5.PaintBox1->grab().toImage().pixel(400, 453), 0xFFFFFFFFu);
}

TEST_F(GraphInteraction, RandomColoursKeepEveryChannelBelow255)
{
    PlotLinear();
    for (int press = 0; press < 30; ++press) {
        Key('c');
        for (int k = 1; k <= MaxCurves; ++k) {
            uint32_t c = store->curves[k].colour;
            EXPECT_LE(c & 0xFF, 254u);
            EXPECT_LE(c >> 8 & 0xFF, 254u);
            EXPECT_LE(c >> 16, 254u);
        }
    }
    EXPECT_TRUE(store->pictureSaved);
}

TEST_F(GraphInteraction, AClickOnALegendLineChoosesThatCurvesColour)
{
    PlotLinear({"x y", "x yf", "x y x"});
    ASSERT_EQ(store->curveCount, 3);
    const int drawings = form5.FullDrawingCount();
    chooser.answers = {0x123456, std::nullopt};
    QTest::mouseClick(form5.PaintBox1, Qt::LeftButton, {}, QPoint(10, 40));
    EXPECT_EQ(chooser.prompts, QStringList{QStringLiteral("Cor para curva=2")});
    EXPECT_EQ(store->curves[2].colour, 0x123456u);
    EXPECT_EQ(form5.FullDrawingCount(), drawings + 1);

    QTest::mouseClick(form5.PaintBox1, Qt::RightButton, {}, QPoint(74, 55)); // cancelled
    EXPECT_EQ(chooser.prompts.last(), QStringLiteral("Cor para curva=3"));
    EXPECT_EQ(store->curves[3].colour, 0x00FF00u);
    EXPECT_EQ(form5.FullDrawingCount(), drawings + 1);
}

TEST_F(GraphInteraction, AClickAboveOrBelowTheLegendsChoosesBothGridColours)
{
    PlotLinear({"x y", "x yf", "x y x"});
    const QStringList gridPrompts{QStringLiteral("Cor para grade principal"),
                                  QStringLiteral("Cor para grade secundária")};
    struct Click {
        int y;
        std::optional<uint32_t> major, minor;
    };
    int drawings = form5.FullDrawingCount();
    for (Click c : {Click{5, 0xAA0000, 0x00BB00}, Click{20, std::nullopt, 0x0000CC}, Click{70, std::nullopt, std::nullopt}}) {
        uint32_t major = store->majorGridColour, minor = store->minorGridColour;
        chooser.prompts.clear();
        chooser.answers = {c.major, c.minor};
        QTest::mouseClick(form5.PaintBox1, Qt::LeftButton, {}, QPoint(10, c.y));
        EXPECT_EQ(chooser.prompts, gridPrompts) << c.y;
        EXPECT_EQ(store->majorGridColour, c.major.value_or(major)) << c.y;
        EXPECT_EQ(store->minorGridColour, c.minor.value_or(minor)) << c.y;
        EXPECT_EQ(form5.FullDrawingCount(), ++drawings) << c.y; // repainted, chosen or not
    }
    const uint32_t defaults[] = {0xFFFFFF, 0xFFFF00, 0x00FF00};
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(store->curves[k].colour, defaults[k - 1]);
}

TEST_F(GraphInteraction, ADragRightAndDownZoomsToTheLastMovedCorner)
{
    PlotLinear();
    const QImage picture = form5.savedPicture.toImage();
    const double x0 = ColumnValue(*store, 200), x1 = ColumnValue(*store, 400);
    const double top = RowValue(*store, 100), bottom = RowValue(*store, 300);

    Press(200, 100);
    EXPECT_TRUE(form5.Zooming());
    Move(300, 200);
    Move(400, 300);
    char expected[100];
    DragText(*store, 200, 100, 400, 300, expected, sizeof expected);
    EXPECT_EQ(Status(), QString::fromLatin1(expected));
    EXPECT_EQ(Status(), QStringLiteral("dX=29.5858 dY=4514.22"));

    // The dotted outline shows on the screen, inverting what lies under it, and nowhere else;
    // the picture stays intact.
    QImage screen = form5.PaintBox1->grab().toImage();
    int onOutline = 0, elsewhere = 0;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            if (screen.pixel(x, y) == picture.pixel(x, y))
                continue;
            bool outline = ((x == 200 || x == 400) && y >= 100 && y <= 300) || ((y == 100 || y == 300) && x >= 200 && x <= 400);
            (outline ? onOutline : elsewhere) += 1;
            if (outline) {
                EXPECT_EQ(screen.pixel(x, y), picture.pixel(x, y) ^ 0xFFFFFFu) << x << "," << y;
            }
        }
    }
    EXPECT_GT(onOutline, 200); // a dot every few pixels of the 800-pixel outline
    EXPECT_EQ(elsewhere, 0);
    EXPECT_TRUE(form5.savedPicture.toImage() == picture);

    const int drawings = form5.FullDrawingCount();
    Release(450, 350); // no move reported this corner
    EXPECT_FALSE(form5.Zooming());
    ExpectX(x0, x1, "the zoom");
    ExpectY(bottom, top, "the zoom");
    EXPECT_EQ(form5.FullDrawingCount(), drawings + 1);
    EXPECT_TRUE(store->pictureSaved);
}

TEST_F(GraphInteraction, DragsInOtherDirectionsAndClicksDoNotZoom)
{
    PlotLinear();
    const QImage picture = form5.savedPicture.toImage();
    struct Drag {
        QPoint from, to;
    };
    for (Drag d : {Drag{{400, 300}, {200, 100}}, Drag{{200, 300}, {400, 100}}, Drag{{400, 100}, {200, 300}},
                   Drag{{200, 100}, {400, 100}}, Drag{{300, 200}, {300, 200}}}) {
        Press(d.from.x(), d.from.y());
        if (d.to != d.from)
            Move(d.to.x(), d.to.y());
        Release(d.to.x(), d.to.y());
        ExpectX(0, 100, "a drag not right and down");
        ExpectY(1, 10000, "a drag not right and down");
        EXPECT_FALSE(form5.Zooming());
    }
    // Releasing far right and down does not count without a move there.
    Press(200, 100);
    Release(400, 300);
    ExpectX(0, 100, "a click");
    EXPECT_TRUE(form5.PaintBox1->grab().toImage() == picture); // no outline left behind
}

TEST_F(GraphInteraction, TheStatusLineShowsTheValuesUnderTheMouse)
{
    PlotLinear({"x y", "x yf"});
    ASSERT_TRUE(store->anyPhase);
    Move(75, 10);
    EXPECT_EQ(Status(), QStringLiteral("X=0 Y=10000 F=180"));
    Move(751, 453);
    EXPECT_EQ(Status(), QStringLiteral("X=100 Y=1 F=-180"));

    form4.Memo1->setPlainText(QString()); // a plot without phase curves
    PlotLinear();
    Move(751, 453 - 443 / 2);
    Move(751, 453);
    EXPECT_EQ(Status(), QStringLiteral("X=100 Y=1"));
}

TEST_F(GraphInteraction, EachCurveOnItsOwnScaleHasNoZoomAndNoValues)
{
    PlotLinear();
    form4.CBauto->setChecked(true);
    Key('a'); // keys still change the limits, which this drawing does not use
    ExpectX(0, 50, "a");
    const QString status = Status();
    Press(200, 100);
    EXPECT_FALSE(form5.Zooming());
    Move(400, 300);
    Release(400, 300);
    EXPECT_EQ(Status(), status);
    ExpectX(0, 50, "a drag with CBauto");

    form4.CBauto->setChecked(false);
    Move(400, 300);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("X=")));
}

TEST_F(GraphInteraction, ShiftAloneForgetsThePictureWithoutDrawing)
{
    PlotLinear();
    const int drawings = form5.FullDrawingCount();
    Key(Qt::Key_Shift);
    EXPECT_FALSE(store->pictureSaved);
    EXPECT_EQ(form5.FullDrawingCount(), drawings);
    const QString status = Status();
    Move(400, 300);
    EXPECT_EQ(Status(), status); // no readout until everything is drawn again

    form5.PaintBox1->repaint(); // the window uncovered
    EXPECT_EQ(form5.FullDrawingCount(), drawings + 1);
    Move(401, 300);
    EXPECT_TRUE(Status().startsWith(QStringLiteral("X=")));

    form5.resize(600, 400); // FormResize
    EXPECT_FALSE(store->pictureSaved);
}

} // namespace
