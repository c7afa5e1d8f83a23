// The log view behind Memo1: append-only lines, shown when events are processed.
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "app/log_view.h"
#include "common/message_log.h"

using namespace talvor;

namespace {

// Lets events through until the view has taken in every line (it refreshes at most every
// LogView::RefreshIntervalMs).
void WaitUntilShown(LogView& view)
{
    for (int i = 0; i < 100 && view.ShownLineCount() < view.LineCount(); ++i)
        QTest::qWait(LogView::RefreshIntervalMs / 2);
    ASSERT_EQ(view.ShownLineCount(), view.LineCount());
}

} // namespace

TEST(GuiLog, LinesAppearWhenEventsAreProcessed)
{
    LogView view;
    view.resize(400, 200);
    view.show();
    MessageLog log(view);
    log.AppendLog("%s", "");
    log.AppendLog("O circuito tem %d nós, %d variáveis e %d elementos.", 2, 3, 3);
    EXPECT_EQ(view.LineCount(), 2);
    EXPECT_EQ(view.ShownLineCount(), 0);
    QApplication::processEvents();
    EXPECT_EQ(view.ShownLineCount(), 2);
    EXPECT_EQ(view.Line(0), QString());
    EXPECT_EQ(view.Line(1), QStringLiteral("O circuito tem 2 nós, 3 variáveis e 3 elementos."));
}

TEST(GuiLog, LineEndsSplitOrEndLines)
{
    LogView view;
    struct Case {
        const char* written;
        QStringList lines;
    };
    const Case cases[] = {
        {"Elemento desconhecido: \n",
         {QStringLiteral("Elemento desconhecido: ")}}, // echoed file line
        {"Elemento desconhecido: Zz 1\r\n", {QStringLiteral("Elemento desconhecido: Zz 1")}},
        {"a\nb", {QStringLiteral("a"), QStringLiteral("b")}},
        {"\n", {QString()}},
        {"x\ty", {QStringLiteral("x       y")}},
    };
    for (const Case& c : cases) {
        const qsizetype before = view.LineCount();
        view.WriteLine(c.written);
        QStringList lines;
        for (qsizetype i = before; i < view.LineCount(); ++i)
            lines << view.Line(i);
        EXPECT_EQ(lines, c.lines) << c.written;
    }
}

TEST(GuiLog, FollowsNewLinesUnlessTheUserScrolledAway)
{
    LogView view;
    view.resize(400, 200);
    view.show();
    for (int i = 0; i < 500; ++i)
        view.WriteLine("linha");
    QApplication::processEvents();
    QScrollBar* bar = view.verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    view.WriteLine("mais uma");
    WaitUntilShown(view);
    EXPECT_EQ(bar->value(), 0);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    view.WriteLine("e outra");
    WaitUntilShown(view);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(view.Line(view.FirstVisibleLine() + 1), QStringLiteral("linha"));
}

TEST(GuiLog, SelectAllAndCopyGiveTheText)
{
    LogView view;
    view.resize(400, 200);
    view.show();
    view.WriteLine("Ponto de operação encontrado.");
    view.WriteLine("1: 0.5");
    QApplication::processEvents();
    QTest::keyClick(view.viewport(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view.SelectedText(), QStringLiteral("Ponto de operação encontrado.\n1: 0.5"));
    QTest::keyClick(view.viewport(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("Ponto de operação encontrado.\n1: 0.5"));
}

TEST(GuiLog, MouseDragSelectsFromTheFirstColumn)
{
    LogView view;
    view.resize(400, 200);
    view.show();
    view.WriteLine("abcdef");
    view.WriteLine("ghijkl");
    QApplication::processEvents();
    QFontMetrics metrics(view.font());
    const int w = metrics.horizontalAdvance(QLatin1Char('M'));
    const int h = metrics.lineSpacing();
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(2 + 1 * w, 2 + h / 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(2 + 3 * w, 2 + h + h / 2),
                     view.viewport()->mapToGlobal(QPointF(2 + 3 * w, 2 + h + h / 2)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    EXPECT_EQ(view.SelectedText(), QStringLiteral("bcdef\nghi"));
}
