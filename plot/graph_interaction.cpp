// The graph window's keys and mouse: zoom and pan commands, the mouse zoom box, the colour
// choosers of the left margin, and the values under the mouse in the status line.
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QStatusBar>
#include <algorithm>
#include <cstdlib>

#include "plot/curve_store.h"
#include "plot/graph_geometry.h"
#include "plot/graph_window.h"
#include "plot/plot_run.h"

void TForm5::keyPressEvent(QKeyEvent* event)
{
    FormKeyDown(event->key());
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() < 0x100)
        FormKeyPress(static_cast<char>(text[0].unicode()));
    event->accept();
}

// Every key, a lone Shift too, makes the next repaint draw everything again.
void TForm5::FormKeyDown(int key)
{
    store_.pictureSaved = false;
    ViewCommand command;
    switch (key) {
    case Qt::Key_Left: command = ViewCommand::Left; break;
    case Qt::Key_Right: command = ViewCommand::Right; break;
    case Qt::Key_Up: command = ViewCommand::Up; break;
    case Qt::Key_Down: command = ViewCommand::Down; break;
    default: return;
    }
    ApplyViewCommand(store_, command);
    RepaintAll();
}

void TForm5::FormKeyPress(char key)
{
    store_.pictureSaved = false;
    if (CharacterCommand(store_, options_, random_, key))
        RepaintAll();
}

void TForm5::FormResize() { store_.pictureSaved = false; }

void TForm5::RepaintAll()
{
    store_.pictureSaved = false;
    PaintBox1->repaint();
}

void TForm5::PaintBox1MouseDown(int x, int y)
{
    const int left = PlotAreaFor(PaintBox1->width(), PaintBox1->height()).left;
    if (x < left) {
        int row = LegendRowAt(y);
        if (row >= 1 && row <= store_.curveCount)
            ChooseCurveColour(row);
        else
            ChooseGridColours();
        return;
    }
    if (options_.CBauto)
        return; // each curve has its own scale: a box has no values
    zooming_ = true;
    zoomX0_ = zoomX1_ = x;
    zoomY0_ = zoomY1_ = y;
    PaintBox1->update();
}

void TForm5::PaintBox1MouseMove(int x, int y)
{
    char text[160];
    if (zooming_) {
        zoomX1_ = x;
        zoomY1_ = y;
        PaintBox1->update();
        DragText(store_, zoomX0_, zoomY0_, zoomX1_, zoomY1_, text, sizeof text);
    } else if (!options_.CBauto && store_.pictureSaved) {
        ReadoutText(store_, x, y, text, sizeof text);
    } else {
        return; // the screen does not show a complete drawing of the current view
    }
    StatusBar1->showMessage(QString::fromLatin1(text));
}

void TForm5::PaintBox1MouseUp()
{
    if (!zooming_)
        return;
    zooming_ = false;
    // The corner is where the last move left it, not where the button came up.
    if (ZoomToBox(store_, zoomX0_, zoomY0_, zoomX1_, zoomY1_))
        RepaintAll();
    else
        PaintBox1->update(); // only the outline goes
}

void TForm5::ChooseCurveColour(int k)
{
    StatusBar1->showMessage(QStringLiteral("Cor para curva=%1").arg(k));
    if (chooser_->Choose(store_.curves[k].colour))
        RepaintAll();
}

void TForm5::ChooseGridColours()
{
    StatusBar1->showMessage(QStringLiteral("Cor para grade principal"));
    chooser_->Choose(store_.majorGridColour);
    StatusBar1->showMessage(QStringLiteral("Cor para grade secundária"));
    chooser_->Choose(store_.minorGridColour);
    RepaintAll();
}

// Dotted, and inverting what lies under it (white in exclusive-or): visible on either colour
// scheme. It is drawn on the screen only, so the saved picture stays intact.
void TForm5::DrawZoomOutline(QPainter& screen) const
{
    if (!zooming_)
        return;
    // Each pixel of the outline once: inverting one twice would hide it.
    const int left = std::min(zoomX0_, zoomX1_), top = std::min(zoomY0_, zoomY1_);
    const QRect outline(left, top, std::abs(zoomX1_ - zoomX0_), std::abs(zoomY1_ - zoomY0_));
    QPen pen(Qt::white, 0, Qt::DotLine);
    screen.save();
    screen.setRenderHint(QPainter::Antialiasing, false);
    screen.setCompositionMode(QPainter::CompositionMode_Difference);
    screen.setPen(pen);
    screen.drawRect(outline);
    screen.restore();
}
