// The graph window: the drawing area with its saved picture, the status line, and the key and
// mouse commands.
#include "plot/graph_window.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "plot/curve_store.h"
#include "plot/graph_geometry.h"
#include "plot/graph_painter.h"
#include "plot/plot_run.h"

namespace {

// The legends fill the margin left of this column; the plot starts there.
constexpr int LegendMargin = 75;

// The drawing area; it hands painting and the mouse to TForm5.
class GraphPaintBox : public QWidget {
public:
    explicit GraphPaintBox(TForm5& form) : QWidget(&form), form_(form)
    {
        setAttribute(Qt::WA_OpaquePaintEvent); // every paint covers the whole area
        setMouseTracking(true);                 // moves without a button give the readout
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        form_.PaintBox1Paint(painter);
    }
    void mousePressEvent(QMouseEvent* event) override { form_.PaintBox1MouseDown(event->position().toPoint()); }
    void mouseMoveEvent(QMouseEvent* event) override { form_.PaintBox1MouseMove(event->position().toPoint()); }
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

    colorDialog = [this](uint32_t shown) -> std::optional<uint32_t> {
        QColor chosen = QColorDialog::getColor(QColor::fromRgb(shown), this);
        if (!chosen.isValid())
            return std::nullopt;
        return chosen.rgb() & 0xFFFFFF;
    };
}

void TForm5::PaintBox1Paint(QPainter& screen)
{
    if (!store_.pictureSaved) {
        const QSize size = PaintBox1->size();
        if (savedPicture.size() != size)
            savedPicture = QPixmap(size);
        QPainter picture(&savedPicture);
        GraphDrawing drawing = DrawGraph(picture, store_, options_, size);
        picture.end();
        ++fullDrawings_;
        StatusBar1->showMessage(drawing.status);
        store_.pictureSaved = drawing.complete;
    }
    screen.drawPixmap(0, 0, savedPicture);
    if (zooming_) {
        // The zoom box is drawn over the copy on the screen, inverting what lies under it so
        // that it shows on any background; the picture stays intact.
        QPen pen(Qt::white, 0, Qt::DotLine);
        screen.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        screen.setPen(pen);
        screen.setBrush(Qt::NoBrush);
        screen.drawRect(QRect(zoomStart_, zoomEnd_).normalized());
    }
}

void TForm5::ShowPlot()
{
    store_.pictureSaved = false;
    show();
    raise();
    activateWindow();
    PaintBox1->update();
}

void TForm5::Repaint()
{
    store_.pictureSaved = false;
    PaintBox1->repaint();
}

void TForm5::Apply(ViewCommand command)
{
    ApplyViewCommand(store_, command, options_, channels_);
    Repaint();
}

// FormKeyDown and FormKeyPress: every key, command or not, clears pictureSaved.
void TForm5::keyPressEvent(QKeyEvent* event)
{
    store_.pictureSaved = false;
    switch (event->key()) {
    case Qt::Key_Left: Apply(ViewCommand::MoveLeft); return;
    case Qt::Key_Right: Apply(ViewCommand::MoveRight); return;
    case Qt::Key_Up: Apply(ViewCommand::MoveUp); return;
    case Qt::Key_Down: Apply(ViewCommand::MoveDown); return;
    default: break;
    }
    const QString text = event->text();
    ViewCommand command;
    if (text.size() == 1 && CommandForCharacter(text[0].toLatin1(), command))
        Apply(command);
    else
        QWidget::keyPressEvent(event);
}

std::optional<uint32_t> TForm5::ChooseColour()
{
    std::optional<uint32_t> chosen = colorDialog(lastColour_);
    if (chosen)
        lastColour_ = *chosen;
    return chosen;
}

void TForm5::ChooseLegendColour(int row)
{
    if (row >= 1 && row <= store_.curveCount) {
        StatusBar1->showMessage(QString::asprintf("Cor para curva=%d", row));
        if (std::optional<uint32_t> colour = ChooseColour()) {
            store_.curves[row].colour = *colour;
            Repaint();
        }
        return;
    }
    StatusBar1->showMessage(QStringLiteral("Cor para grade principal"));
    if (std::optional<uint32_t> colour = ChooseColour())
        store_.majorGridColour = *colour;
    StatusBar1->showMessage(QStringLiteral("Cor para grade secundária"));
    if (std::optional<uint32_t> colour = ChooseColour())
        store_.minorGridColour = *colour;
    Repaint();
}

void TForm5::PaintBox1MouseDown(QPoint at)
{
    if (at.x() < LegendMargin) {
        ChooseLegendColour((at.y() - 10) / 15);
        return;
    }
    if (options_.CBauto)
        return;
    zooming_ = true;
    zoomStart_ = zoomEnd_ = at;
    PaintBox1->update();
}

void TForm5::PaintBox1MouseMove(QPoint at)
{
    if (zooming_) {
        zoomEnd_ = at;
        PaintBox1->update();
        double dX = ColumnValue(store_, at.x()) - ColumnValue(store_, zoomStart_.x());
        double dY = RowValue(store_, zoomStart_.y()) - RowValue(store_, at.y());
        StatusBar1->showMessage(QString::asprintf("dX=%g dY=%g", dX, dY));
        return;
    }
    if (options_.CBauto || !store_.pictureSaved)
        return;
    QString readout = QString::asprintf("X=%g Y=%g", ColumnValue(store_, at.x()), RowValue(store_, at.y()));
    if (store_.anyPhase)
        readout += QString::asprintf(" F=%g", RowPhase(store_, at.y()));
    StatusBar1->showMessage(readout);
}

void TForm5::PaintBox1MouseUp()
{
    if (!zooming_)
        return;
    zooming_ = false;
    // Only a box dragged to the right and downwards zooms; its corner is the last move's.
    if (zoomStart_.x() < zoomEnd_.x() && zoomStart_.y() < zoomEnd_.y()) {
        double xMin = ColumnValue(store_, zoomStart_.x()), xMax = ColumnValue(store_, zoomEnd_.x());
        double yMin = RowValue(store_, zoomEnd_.y()), yMax = RowValue(store_, zoomStart_.y());
        store_.viewXMin = xMin;
        store_.viewXMax = xMax;
        store_.viewYMin = yMin;
        store_.viewYMax = yMax;
        Repaint();
    } else {
        PaintBox1->update(); // takes the box away
    }
}

// FormResize: the picture no longer fits; the resized area's repaint draws everything again.
void TForm5::resizeEvent(QResizeEvent* event)
{
    store_.pictureSaved = false;
    QWidget::resizeEvent(event);
}
