// The graph window: the drawing area with its saved picture, the status line, and the key and
// mouse commands.
#include "plot/graph_window.h"

#include <QClipboard>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QtMath>
#include <memory>

#include "plot/curve_store.h"
#include "plot/graph_export.h"
#include "plot/graph_geometry.h"
#include "plot/graph_layout.h"
#include "plot/graph_painter.h"
#include "plot/plot_run.h"
#include "plot/screen_fit.h"

namespace talvor {

namespace {

// The drawing area; it hands painting and the mouse to TForm5.
class GraphPaintBox : public QWidget {
public:
    explicit GraphPaintBox(TForm5& form) : QWidget(&form), form_(form)
    {
        setAttribute(Qt::WA_OpaquePaintEvent); // every paint covers the whole area
        setMouseTracking(true);                // moves without a button give the readout
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        form_.PaintBox1Paint(painter);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        form_.PaintBox1MouseDown(event->position().toPoint(), event->modifiers());
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        form_.PaintBox1MouseMove(event->position().toPoint());
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
    cursorReadout_ = new QLabel(StatusBar1);
    cursorReadout_->setObjectName(QStringLiteral("LabelCursores"));
    StatusBar1->addPermanentWidget(cursorReadout_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(PaintBox1, 1);
    layout->addWidget(StatusBar1);
    resize(761, 471 + 19); // a drawing area of 761 x 471

    colorDialog1_ = std::make_unique<ColorDialogChooser>(this);
    chooser_ = colorDialog1_.get();
    saveDialog = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Gravar figura"), suggested,
                                            QStringLiteral("Figuras (*.png *.svg)"));
    };
}

QColorDialog* ColorDialogChooser::Dialog()
{
    if (dialog_ == nullptr) {
        dialog_ = new QColorDialog(parent_);
        dialog_->setObjectName(QStringLiteral("ColorDialog1"));
        dialog_->setModal(true);
    }
    return dialog_;
}

bool ColorDialogChooser::Choose(uint32_t& rgb)
{
    QColorDialog* dialog = Dialog();
    // The colour being replaced waits among the custom colours, to compare with or to take
    // again; the dialog opens on the colour it returned last.
    QColorDialog::setCustomColor(0, QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFF)));
    dialog->setCurrentColor(QColor::fromRgb(static_cast<QRgb>(lastChosen_)));
    if (dialog->exec() != QDialog::Accepted)
        return false;
    lastChosen_ = dialog->selectedColor().rgb() & 0xFFFFFF;
    rgb = lastChosen_;
    return true;
}

void TForm5::PaintBox1Paint(QPainter& screen)
{
    // The picture has the screen's pixels (several per unit on a dense screen); the drawing and
    // the mouse work in units. A picture made for another screen is drawn again.
    const qreal ratio = PaintBox1->devicePixelRatio();
    if (!store_.pictureSaved || savedPicture.devicePixelRatio() != ratio) {
        const QSize size = PaintBox1->size();
        const QSize pixels(qCeil(size.width() * ratio), qCeil(size.height() * ratio));
        if (savedPicture.size() != pixels)
            savedPicture = QPixmap(pixels);
        savedPicture.setDevicePixelRatio(ratio);
        QPainter picture(&savedPicture);
        GraphDrawing drawing = DrawGraph(picture, store_, options_, size, &cursors_);
        if (!store_.plotReady) {
            const QRgb foreground = static_cast<QRgb>(store_.foregroundColour & 0xFFFFFF);
            picture.setPen(QColor::fromRgb(foreground));
            picture.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter,
                             QStringLiteral("Nada a plotar."));
        }
        picture.end();
        ++fullDrawings_;
        StatusBar1->showMessage(drawing.status);
        store_.pictureSaved = drawing.complete;
    }
    screen.drawPixmap(0, 0, savedPicture);
    if (zooming_)
        DrawZoomBox(screen);
}

// The zoom box over the copy on the screen, leaving the picture intact: white under black dashes,
// so that one of the two shows on any background, grid or curve.
void TForm5::DrawZoomBox(QPainter& screen) const
{
    // Corner to corner through both points: a rectangle of width w is outlined w + 1 wide.
    const QRect box = QRect(zoomStart_, zoomEnd_).normalized().adjusted(0, 0, -1, -1);
    screen.setBrush(Qt::NoBrush);
    screen.setPen(QPen(Qt::white, 1));
    screen.drawRect(box);
    QPen dashes(Qt::black, 1);
    dashes.setDashPattern({3, 3});
    dashes.setCapStyle(Qt::FlatCap);
    screen.setPen(dashes);
    screen.drawRect(box);
}

void TForm5::showEvent(QShowEvent* event)
{
    FitIntoScreen(*this);
    QWidget::showEvent(event);
}

void TForm5::ShowPlot()
{
    // New curves: the cursors stood on the old ones, the views were theirs.
    cursors_ = GraphCursors();
    history_.Clear();
    ShowCursorReadout();
    store_.pictureSaved = false;
    show();
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason); // the keys go to this window
    PaintBox1->update();
}

void TForm5::ShowNothingToPlot()
{
    store_.pictureSaved = false;
    PaintBox1->update();
}

void TForm5::Repaint()
{
    store_.pictureSaved = false;
    PaintBox1->repaint();
}

void TForm5::Apply(ViewCommand command)
{
    const ViewLimits before = LimitsOf(store_);
    ApplyViewCommand(store_, command, options_, channels_);
    RememberView(before);
    Repaint();
}

void TForm5::RememberView(const ViewLimits& before)
{
    if (!(LimitsOf(store_) == before))
        history_.Push(before);
}

void TForm5::GoBack()
{
    history_.Back(store_);
    Repaint();
}

void TForm5::PlaceCursor(int n, QPoint at)
{
    if (SnapToCurve(store_, options_.CBdivisoes, at.x(), at.y(), cursors_.place[n]))
        cursors_.active = n;
    Repaint();
    ShowCursorReadout();
}

void TForm5::MoveCursor(int steps)
{
    StepAlongCurve(store_, cursors_.place[cursors_.active], steps);
    Repaint();
    ShowCursorReadout();
}

void TForm5::ClearCursors()
{
    cursors_ = GraphCursors();
    Repaint();
    ShowCursorReadout();
}

void TForm5::ShowCursorReadout()
{
    cursorReadout_->setText(QString::fromUtf8(CursorReadout(store_, cursors_, options_).c_str()));
}

void TForm5::SavePicture()
{
    QString path = saveDialog(pictureName_);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    pictureName_ = path;
    const QSize size = PaintBox1->size();
    const bool written = IsSvgName(path)
                             ? WriteWholeFile(path, GraphSvg(store_, options_, size, &cursors_))
                             : SavePng(path, GraphImage(store_, options_, size,
                                                        PaintBox1->devicePixelRatio(), &cursors_));
    StatusBar1->showMessage(
        (written ? QStringLiteral("Figura gravada no arquivo %1.")
                 : QStringLiteral("Não foi possível gravar a figura no arquivo %1."))
            .arg(QDir::toNativeSeparators(path)));
}

void TForm5::CopyPicture()
{
    const QSize size = PaintBox1->size();
    auto* picture = new QMimeData;
    picture->setImageData(
        GraphImage(store_, options_, size, PaintBox1->devicePixelRatio(), &cursors_));
    picture->setData(QStringLiteral("image/svg+xml"), GraphSvg(store_, options_, size, &cursors_));
    QGuiApplication::clipboard()->setMimeData(picture);
    StatusBar1->showMessage(QStringLiteral("Figura copiada."));
}

// Keys that are no command go on to the base class (and from there to the parent).
void TForm5::keyPressEvent(QKeyEvent* event)
{
    // The picture out of the window; like every key, they draw it again (first, so that their
    // report stays in the status line).
    if (event->matches(QKeySequence::Save) || event->matches(QKeySequence::Copy)) {
        Repaint();
        if (event->matches(QKeySequence::Save))
            SavePicture();
        else
            CopyPicture();
        return;
    }
    bool command = FormKeyDown(event->key(), event->modifiers());
    const QString text = event->text();
    // A key that commands by itself (Backspace) is no character to type as well.
    if (!command && text.size() == 1 && text[0].unicode() < 0x100)
        command = FormKeyPress(static_cast<char>(text[0].unicode()));
    if (!command)
        QWidget::keyPressEvent(event);
}

// Every key, a lone Shift too, makes the next repaint draw everything again.
bool TForm5::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    store_.pictureSaved = false;
    if (modifiers & Qt::ControlModifier) {
        const int steps = modifiers & Qt::ShiftModifier ? 10 : 1;
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            MoveCursor(key == Qt::Key_Left ? -steps : steps);
            return true;
        }
    }
    switch (key) {
    case Qt::Key_Backspace:
        GoBack();
        return true;
    case Qt::Key_Left:
        Apply(ViewCommand::MoveLeft);
        return true;
    case Qt::Key_Right:
        Apply(ViewCommand::MoveRight);
        return true;
    case Qt::Key_Up:
        Apply(ViewCommand::MoveUp);
        return true;
    case Qt::Key_Down:
        Apply(ViewCommand::MoveDown);
        return true;
    default:
        return false;
    }
}

bool TForm5::FormKeyPress(char key)
{
    store_.pictureSaved = false;
    if (key == 'm') {
        emit MeasureRequested();
        Repaint(); // the picture is current again, and with it the mouse readout
        return true;
    }
    if (key == 'n') {
        emit NumberedDivisionsToggleRequested();
        Repaint(); // the curve list's check box decides; the picture follows it
        return true;
    }
    switch (key) {
    case '1':
    case '2':
        PlaceCursor(key - '1', mouse_);
        return true;
    case '0':
        ClearCursors();
        return true;
    case 'z':
        GoBack();
        return true;
    default:
        break;
    }
    ViewCommand command;
    if (!CommandForCharacter(key, command))
        return false;
    Apply(command);
    return true;
}

void TForm5::ChooseCurveColour(int curve)
{
    StatusBar1->showMessage(QString::asprintf("Cor para curva=%d", curve));
    if (chooser_->Choose(store_.curves[curve].colour))
        Repaint();
}

void TForm5::ChooseGridColours()
{
    StatusBar1->showMessage(QStringLiteral("Cor para grade principal"));
    chooser_->Choose(store_.majorGridColour);
    StatusBar1->showMessage(QStringLiteral("Cor para grade secundária"));
    chooser_->Choose(store_.minorGridColour);
    Repaint();
}

void TForm5::PaintBox1MouseDown(QPoint at, Qt::KeyboardModifiers modifiers)
{
    // Where the legends are, as the drawing lays them out at this size.
    auto layout = std::make_unique<GraphLayout>();
    LayOutGraph(store_, options_, PaintBox1->size(), *layout);
    const LegendHit hit = HitLegends(*layout, at);
    if (hit.kind == LegendHit::CurveColour) {
        ChooseCurveColour(hit.curve);
        return;
    }
    if (hit.kind == LegendHit::GridColours) {
        ChooseGridColours();
        return;
    }
    mouse_ = at;
    if (modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) {
        PlaceCursor(modifiers & Qt::ControlModifier ? 0 : 1, at);
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
    mouse_ = at;
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
    QString readout =
        QString::asprintf("X=%g Y=%g", ColumnValue(store_, at.x()), RowValue(store_, at.y()));
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
    const ViewLimits before = LimitsOf(store_);
    if (ZoomToBox(store_, zoomStart_.x(), zoomStart_.y(), zoomEnd_.x(), zoomEnd_.y())) {
        RememberView(before);
        Repaint();
    } else {
        StatusBar1->clearMessage(); // its "dX= dY=" measured a box that zoomed nothing
        PaintBox1->update();        // takes the box away
    }
}

void TForm5::resizeEvent(QResizeEvent* event)
{
    FormResize();
    QWidget::resizeEvent(event);
}

// The picture no longer fits; the resized area's repaint draws everything again.
void TForm5::FormResize() { store_.pictureSaved = false; }

} // namespace talvor
