// The graph window: the drawing area with its saved picture, and the status line.
#include "plot/graph_window.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "plot/curve_store.h"
#include "plot/graph_painter.h"

namespace {

// The drawing area; everything it shows comes from TForm5::PaintBox1Paint.
class GraphPaintBox : public QWidget {
public:
    explicit GraphPaintBox(TForm5& form) : QWidget(&form), form_(form)
    {
        setAttribute(Qt::WA_OpaquePaintEvent); // every paint covers the whole area
        setMouseTracking(true);                 // moves without a button show the values
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        form_.PaintBox1Paint(painter);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        form_.PaintBox1MouseDown(event->position().toPoint().x(), event->position().toPoint().y());
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        form_.PaintBox1MouseMove(event->position().toPoint().x(), event->position().toPoint().y());
    }
    void mouseReleaseEvent(QMouseEvent*) override { form_.PaintBox1MouseUp(); }

private:
    TForm5& form_;
};

} // namespace

TForm5::TForm5(CurveStore& store, const PlotOptions& options, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), options_(options)
{
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Gráficos"));
    setFocusPolicy(Qt::StrongFocus);

    PaintBox1 = new GraphPaintBox(*this);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(19);
    StatusBar1->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PaintBox1, 1);
    layout->addWidget(StatusBar1);
    resize(761, 471 + 19); // a drawing area of 761 x 471

    colorDialog1_ = std::make_unique<ColorDialogChooser>(this);
    chooser_ = colorDialog1_.get();
}

void TForm5::PaintBox1Paint(QPainter& screen)
{
    if (store_.pictureSaved) {
        screen.drawPixmap(0, 0, savedPicture);
        DrawZoomOutline(screen);
        return;
    }
    const QSize size = PaintBox1->size();
    if (savedPicture.size() != size)
        savedPicture = QPixmap(size);
    QPainter picture(&savedPicture);
    GraphDrawing drawing = DrawGraph(picture, store_, options_, size);
    picture.end();
    ++fullDrawings_;
    StatusBar1->showMessage(drawing.status);
    screen.drawPixmap(0, 0, savedPicture);
    DrawZoomOutline(screen);
    if (drawing.complete)
        store_.pictureSaved = true;
}

void TForm5::ShowPlot()
{
    store_.pictureSaved = false;
    show();
    raise();
    activateWindow();
    PaintBox1->update();
}

void TForm5::resizeEvent(QResizeEvent* event)
{
    FormResize();
    QWidget::resizeEvent(event);
}
