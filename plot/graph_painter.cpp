// The graph painter: one full drawing of the curve store.
#include "plot/graph_painter.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/c_text.h"
#include "plot/curve_store.h"
#include "plot/graph_geometry.h"
#include "plot/plot_run.h"

namespace talvor {

namespace {

QColor Rgb(uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFF)); }

QFont GraphFont()
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias); // text in the exact colours of its curves
    return font;
}

// Text written at its top-left corner, in a cell filled with the background colour.
void WriteText(QPainter& painter, int x, int y, const QString& text, QColor colour,
               QColor background)
{
    QFontMetrics metrics = painter.fontMetrics();
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), background);
    painter.setPen(colour);
    painter.drawText(x, y + metrics.ascent(), text);
}

QString FormatNumber(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return QString::fromLatin1(text);
}

void DrawLimitLabels(QPainter& painter, const CurveStore& store, const PlotArea& area)
{
    QColor foreground = Rgb(store.foregroundColour), background = Rgb(store.backgroundColour);
    QFontMetrics metrics = painter.fontMetrics();
    QString xMin = FormatNumber(store.viewXMin), xMax = FormatNumber(store.viewXMax);
    QString yMin = FormatNumber(store.viewYMin), yMax = FormatNumber(store.viewYMax);
    WriteText(painter, area.left, area.bottom + 1, xMin, foreground, background);
    WriteText(painter, area.right - metrics.horizontalAdvance(xMax), area.bottom + 1, xMax,
              foreground, background);
    WriteText(painter, area.left - metrics.horizontalAdvance(yMin) - 2, area.bottom - 10, yMin,
              foreground, background);
    WriteText(painter, area.left - metrics.horizontalAdvance(yMax) - 2, area.top, yMax, foreground,
              background);
}

void DrawGrid(QPainter& painter, const CurveStore& store, const PlotArea& area)
{
    const Curve& first = store.curves[1];
    QPen pen(Qt::DotLine);
    pen.setCapStyle(Qt::FlatCap); // dots one unit long at any pixel ratio
    GridColour colour = GridColour::Gray;
    auto setColour = [&](GridColour c) {
        pen.setColor(c == GridColour::Major   ? Rgb(store.majorGridColour)
                     : c == GridColour::Minor ? Rgb(store.minorGridColour)
                                              : Rgb(0x808080));
        painter.setPen(pen);
    };
    ForEachGridLine(store.viewXMin, store.viewXMax, store.logX, first.scaleX, first.offsetX, colour,
                    [&](int column, GridColour c) {
                        setColour(c);
                        painter.drawLine(column, area.top, column, area.bottom);
                    });
    ForEachGridLine(store.viewYMin, store.viewYMax, store.logY, first.scaleY, first.offsetY, colour,
                    [&](int row, GridColour c) {
                        setColour(c);
                        painter.drawLine(area.left, row, area.right, row);
                    });
}

void DrawLegends(QPainter& painter, const CurveStore& store, const PlotArea& area)
{
    QColor background = Rgb(store.backgroundColour);
    for (int n = 1; n <= store.curveCount; ++n)
        WriteText(painter, 4, area.top + 15 * n, LegendText(n, store.curves[n]),
                  Rgb(store.curves[n].colour), background);
}

// The points of one polyline, reserved once for the longest curve.
std::vector<QPoint>& PolylineBuffer()
{
    static std::vector<QPoint> buffer(MaxPoints);
    return buffer;
}

// The device pixels that the plot rectangle's edge lines cover, and all between them: the
// curves' clip. A line of one unit at coordinate c covers the device pixels whose centres lie in
// (c - ratio/2, c + ratio/2] times ratio.
QRect DevicePlotRect(const PlotArea& area, qreal ratio)
{
    auto first = [ratio](int c) {
        return static_cast<int>(std::floor(c * ratio - ratio / 2 - 0.5)) + 1;
    };
    auto last = [ratio](int c) {
        return static_cast<int>(std::floor(c * ratio + ratio / 2 - 0.5));
    };
    return QRect(QPoint(first(area.left), first(area.top)),
                 QPoint(last(area.right), last(area.bottom)));
}

// Draws curve k as polylines through its pixels. A point without a position breaks the line;
// repeated pixels are passed once, which draws the same pixels with far fewer segments. The
// painter works in device pixels here, ratio of them to a unit: on a dense screen the curve
// follows its values at the screen's resolution, with lines one unit wide.
void DrawCurve(QPainter& painter, const CurveStore& store, int k, bool markPoints, qreal ratio)
{
    const Curve& c = store.curves[k];
    const double* px = store.positions.lnX ? store.positions.x[k].data() : c.x.data();
    const double* py = store.positions.y[k].data();
    const double scaleX = c.scaleX * ratio, offsetX = c.offsetX * ratio;
    const double scaleY = (c.isPhase ? store.phaseScale : c.scaleY) * ratio;
    const double offsetY = (c.isPhase ? store.phaseOffset : c.offsetY) * ratio;
    painter.setPen(QPen(Rgb(c.colour), ratio));
    if (markPoints) {
        // Each mark covers the line drawn up to its point, as the lines come point by point.
        const int half = qRound(2 * ratio);
        painter.setBrush(Rgb(store.backgroundColour));
        QPoint previous;
        bool hasPrevious = false;
        for (int i = 0; i < c.pointCount; ++i) {
            QPoint p;
            if (!MapToPixel(px[i], scaleX, offsetX, p.rx()) ||
                !MapToPixel(py[i], scaleY, offsetY, p.ry())) {
                hasPrevious = false;
                continue;
            }
            if (hasPrevious)
                painter.drawLine(previous, p);
            painter.drawRect(QRect(p.x() - half, p.y() - half, 2 * half, 2 * half));
            previous = p;
            hasPrevious = true;
        }
        painter.setBrush(Qt::NoBrush);
        return;
    }
    std::vector<QPoint>& points = PolylineBuffer();
    int n = 0;
    auto flush = [&]() {
        if (n == 1)
            points[n++] = points[0]; // a lone point still shows as one pixel
        if (n > 1)
            painter.drawPolyline(points.data(), n);
        n = 0;
    };
    for (int i = 0; i < c.pointCount; ++i) {
        QPoint p;
        if (!MapToPixel(px[i], scaleX, offsetX, p.rx()) ||
            !MapToPixel(py[i], scaleY, offsetY, p.ry())) {
            flush();
            continue;
        }
        if (n > 0 && points[n - 1] == p)
            continue;
        points[n++] = p;
    }
    flush();
}

} // namespace

QString LegendText(int n, const Curve& curve)
{
    char text[80];
    std::snprintf(text, sizeof text, "%d: %s x %s %c", n, curve.xName, curve.yName,
                  curve.operation);
    return QString::fromUtf8(DisplayText(text).c_str());
}

GraphDrawing DrawGraph(QPainter& painter, CurveStore& store, const PlotOptions& options, QSize size)
{
    const int width = size.width(), height = size.height();
    GraphDrawing drawing;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(GraphFont());
    painter.fillRect(QRect(0, 0, width, height), Rgb(store.backgroundColour));
    drawing.status = QString::asprintf("Tamanho da tela: %d x %d", width, height);
    if (!store.plotReady)
        return drawing;

    const PlotArea area = PlotAreaFor(width, height);
    ComputeTransforms(store, options.CBauto, area);
    store.PreparePositions();
    if (!options.CBauto) {
        DrawLimitLabels(painter, store, area);
        DrawGrid(painter, store, area);
    }
    painter.setPen(Rgb(store.foregroundColour));
    painter.drawLine(area.left, area.bottom, area.right, area.bottom);
    painter.drawLine(area.left, area.bottom, area.left, area.top);
    DrawLegends(painter, store, area);
    // Zoomed in, the curves would run over the legends and the limit labels.
    const qreal ratio = painter.device()->devicePixelRatio();
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    painter.setClipRect(DevicePlotRect(area, ratio));
    for (int k = 1; k <= store.curveCount; ++k) {
        if (store.curves[k].operation != 'x')
            DrawCurve(painter, store, k, options.CBmarcar, ratio);
    }
    painter.restore();
    drawing.complete = true;
    return drawing;
}

} // namespace talvor
