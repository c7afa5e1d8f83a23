// The graph painter: one full drawing of the curve store.
#include "plot/graph_painter.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/c_text.h"
#include "plot/colour_contrast.h"
#include "plot/curve_store.h"
#include "plot/graph_cursors.h"
#include "plot/graph_geometry.h"
#include "plot/graph_layout.h"
#include "plot/plot_run.h"

namespace talvor {

namespace {

QColor Rgb(uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb & 0xFFFFFF)); }

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

QPen GridPen(const CurveStore& store, GridColour colour)
{
    QPen pen(Qt::DotLine);
    pen.setCapStyle(Qt::FlatCap); // dots one unit long at any pixel ratio
    pen.setColor(colour == GridColour::Major   ? Rgb(store.majorGridColour)
                 : colour == GridColour::Minor ? Rgb(store.minorGridColour)
                                               : Rgb(0x808080));
    return pen;
}

void DrawGrid(QPainter& painter, const CurveStore& store, const PlotArea& area)
{
    const Curve& first = store.curves[1];
    GridColour colour = GridColour::Gray;
    ForEachGridLine(store.viewXMin, store.viewXMax, store.logX, first.scaleX, first.offsetX, colour,
                    [&](int column, GridColour c) {
                        painter.setPen(GridPen(store, c));
                        painter.drawLine(column, area.top, column, area.bottom);
                    });
    ForEachGridLine(store.viewYMin, store.viewYMax, store.logY, first.scaleY, first.offsetY, colour,
                    [&](int row, GridColour c) {
                        painter.setPen(GridPen(store, c));
                        painter.drawLine(area.left, row, area.right, row);
                    });
}

// One line per curve in the left margin, each in its curve's colour.
void DrawLegends(QPainter& painter, const CurveStore& store, const GraphLayout& layout)
{
    QColor background = Rgb(store.backgroundColour);
    for (int n = 1; n <= layout.legendCount; ++n)
        WriteText(painter, layout.legendRows[n].left() + 4, layout.legendRows[n].top(),
                  LegendText(n, store.curves[n]),
                  Rgb(DrawnColour(store.curves[n].colour, store.backgroundColour, false)),
                  background);
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

// Draws curve k in colour as polylines through its pixels. A point without a position breaks the
// line, and so does a wrap of a phase curve when breakWraps is set; repeated pixels are passed
// once, which draws the same pixels with far fewer segments. The painter works in device pixels
// here, ratio of them to a unit: on a dense screen the curve follows its values at the screen's
// resolution, with lines one unit wide.
void DrawCurve(QPainter& painter, const CurveStore& store, int k, bool markPoints, qreal ratio,
               QColor colour, bool breakWraps)
{
    const Curve& c = store.curves[k];
    const bool wraps = breakWraps && c.isPhase;
    const double* px = store.positions.lnX ? store.positions.x[k].data() : c.x.data();
    const double* py = store.positions.y[k].data();
    const double scaleX = c.scaleX * ratio, offsetX = c.offsetX * ratio;
    const double scaleY = (c.isPhase ? store.phaseScale : c.scaleY) * ratio;
    const double offsetY = (c.isPhase ? store.phaseOffset : c.offsetY) * ratio;
    painter.setPen(QPen(colour, ratio));
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
            if (wraps && i > 0 && IsPhaseWrap(py[i - 1], py[i]))
                hasPrevious = false;
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
        if (wraps && i > 0 && IsPhaseWrap(py[i - 1], py[i]))
            flush();
        if (n > 0 && points[n - 1] == p)
            continue;
        points[n++] = p;
    }
    flush();
}

// Zoomed in, the curves would run over the legends and the labels: they are clipped to the plot.
void DrawCurves(QPainter& painter, const CurveStore& store, const PlotOptions& options,
                const PlotArea& area, bool numbered)
{
    const qreal ratio = painter.device()->devicePixelRatio();
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    painter.setClipRect(DevicePlotRect(area, ratio));
    for (int k = 1; k <= store.curveCount; ++k) {
        const Curve& c = store.curves[k];
        if (c.operation == 'x')
            continue;
        const QColor colour = Rgb(DrawnColour(c.colour, store.backgroundColour, numbered));
        DrawCurve(painter, store, k, options.CBmarcar, ratio, colour, numbered);
    }
    painter.restore();
}

// Numbered divisions: a logarithmic axis keeps its grid, whose decade lines carry the labels; a
// linear axis, and the phase scale on the left, get a line at every label inside the plot.
void DrawNumberedGrid(QPainter& painter, const CurveStore& store, const GraphLayout& layout)
{
    const Curve& first = store.curves[1];
    const PlotArea& area = layout.area;
    GridColour colour = GridColour::Gray;
    auto vertical = [&](int column, GridColour c) {
        painter.setPen(GridPen(store, c));
        painter.drawLine(column, area.top, column, area.bottom);
    };
    auto horizontal = [&](int row, GridColour c) {
        painter.setPen(GridPen(store, c));
        painter.drawLine(area.left, row, area.right, row);
    };
    // A line at each label strictly inside the plot: the frame runs along its edges.
    auto atTicks = [](const AxisTicks& ticks, int low, int high, auto draw) {
        for (int i = 0; i < ticks.count; ++i)
            if (ticks.ticks[i].pixel > std::min(low, high) &&
                ticks.ticks[i].pixel < std::max(low, high))
                draw(ticks.ticks[i].pixel, GridColour::Gray);
    };
    if (store.logX)
        ForEachGridLine(store.viewXMin, store.viewXMax, true, first.scaleX, first.offsetX, colour,
                        vertical);
    else
        atTicks(layout.xTicks, area.left, area.right, vertical);
    if (store.logY && !layout.titles.leftIsPhase)
        ForEachGridLine(store.viewYMin, store.viewYMax, true, first.scaleY, first.offsetY, colour,
                        horizontal);
    else
        atTicks(layout.leftTicks, area.top, area.bottom, horizontal);
}

// The plot's frame, under the curves: a phase at +/-180 degrees runs along it.
void DrawFrame(QPainter& painter, const CurveStore& store, const PlotArea& area)
{
    painter.setPen(Rgb(store.foregroundColour));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(area.left, area.top), QPoint(area.right - 1, area.bottom - 1)));
}

// A tick out of the frame at every label, and the labels.
void DrawTicks(QPainter& painter, const CurveStore& store, const GraphLayout& layout)
{
    const PlotArea& area = layout.area;
    const QFontMetricsF metrics(painter.font());
    painter.setPen(Rgb(store.foregroundColour));
    for (TickSide side : {TickSide::Bottom, TickSide::Left, TickSide::Right}) {
        const AxisTicks& ticks = TicksOn(layout, side);
        for (int i = 0; i < ticks.count; ++i) {
            const int p = ticks.ticks[i].pixel;
            if (side == TickSide::Bottom)
                painter.drawLine(p, area.bottom + 1, p, area.bottom + TickLength);
            else if (side == TickSide::Left)
                painter.drawLine(area.left - TickLength, p, area.left - 1, p);
            else
                painter.drawLine(area.right + 1, p, area.right + TickLength, p);
            const QRectF cell = TickLabelRect(layout, side, i);
            painter.drawText(QPointF(cell.left(), cell.top() + metrics.ascent()),
                             QString::fromUtf8(ticks.ticks[i].text));
        }
    }
}

// A title centred in its rectangle; the side ones run upwards. Cut with "…" when too long.
void DrawTitle(QPainter& painter, const std::string& title, const QRect& rect, bool upwards)
{
    if (title.empty())
        return;
    const QFontMetricsF metrics(painter.font());
    const double length = upwards ? rect.height() : rect.width();
    const QString text =
        metrics.elidedText(QString::fromUtf8(title.c_str()), Qt::ElideRight, length);
    if (!upwards) {
        painter.drawText(rect, Qt::AlignCenter, text);
        return;
    }
    painter.save();
    painter.translate(QRectF(rect).center());
    painter.rotate(-90);
    painter.drawText(QRectF(-length / 2, -rect.width() / 2.0, length, rect.width()),
                     Qt::AlignCenter, text);
    painter.restore();
}

// The legends in their box over the curves, each after a short line in its curve's colour
// (hidden curves have none).
void DrawLegendBox(QPainter& painter, const CurveStore& store, const GraphLayout& layout)
{
    if (layout.legendCount == 0)
        return;
    const QFontMetricsF metrics(painter.font());
    const PlotArea& area = layout.area;
    painter.save();
    painter.setClipRect(QRect(QPoint(area.left, area.top), QPoint(area.right, area.bottom)));
    painter.setPen(Rgb(store.foregroundColour));
    painter.setBrush(Rgb(store.backgroundColour));
    painter.drawRect(layout.legendFrame.adjusted(0, 0, -1, -1));
    painter.setBrush(Qt::NoBrush);
    for (int n = 1; n <= layout.legendCount; ++n) {
        const Curve& c = store.curves[n];
        const QRect& row = layout.legendRows[n];
        if (row.isNull())
            continue; // no room for it
        painter.setPen(Rgb(DrawnColour(c.colour, store.backgroundColour, true)));
        const int middle = row.top() + row.height() / 2;
        if (c.operation != 'x')
            painter.drawLine(row.left(), middle, row.left() + LegendSampleWidth - 1, middle);
        painter.drawText(QPointF(row.left() + LegendSampleWidth + LegendTextGap,
                                 middle - std::ceil(metrics.height()) / 2 + metrics.ascent()),
                         LegendText(n, c));
    }
    painter.restore();
}

// Each cursor: a dashed line across the plot at its column, a square on its point, its number.
void DrawCursors(QPainter& painter, const CurveStore& store, const PlotArea& area,
                 const GraphCursors& cursors)
{
    if (!cursors.Any())
        return;
    const QFontMetricsF metrics(painter.font());
    painter.save();
    painter.setClipRect(QRect(QPoint(area.left, area.top), QPoint(area.right, area.bottom)));
    painter.setBrush(Qt::NoBrush);
    QPen dashes(Rgb(store.foregroundColour));
    dashes.setDashPattern({4, 3});
    for (int n = 0; n < 2; ++n) {
        double column, row;
        if (!CursorPixel(store, cursors.place[n], column, row) || std::abs(column) > PixelLimit ||
            std::abs(row) > PixelLimit)
            continue;
        const QPoint at(static_cast<int>(std::lround(column)), static_cast<int>(std::lround(row)));
        painter.setPen(dashes);
        painter.drawLine(at.x(), area.top, at.x(), area.bottom);
        painter.setPen(Rgb(store.foregroundColour));
        painter.drawRect(QRect(at - QPoint(3, 3), QSize(6, 6)));
        painter.drawText(QPointF(at.x() + 3, area.top + 2 + metrics.ascent()),
                         QString::number(n + 1));
    }
    painter.restore();
}

void DrawNumbered(QPainter& painter, const CurveStore& store, const PlotOptions& options,
                  const GraphLayout& layout, const GraphCursors& cursors)
{
    if (!options.CBauto)
        DrawNumberedGrid(painter, store, layout);
    DrawFrame(painter, store, layout.area);
    DrawCurves(painter, store, options, layout.area, true);
    DrawCursors(painter, store, layout.area, cursors);
    DrawTicks(painter, store, layout);
    DrawTitle(painter, layout.titles.x, layout.xTitle, false);
    DrawTitle(painter, layout.titles.left, layout.leftTitle, true);
    DrawTitle(painter, layout.titles.right, layout.rightTitle, true);
    DrawLegendBox(painter, store, layout);
}

// The picture as the graph window has always drawn it.
void DrawPlain(QPainter& painter, const CurveStore& store, const PlotOptions& options,
               const GraphLayout& layout, const GraphCursors& cursors)
{
    const PlotArea& area = layout.area;
    if (!options.CBauto) {
        DrawLimitLabels(painter, store, area);
        DrawGrid(painter, store, area);
    }
    painter.setPen(Rgb(store.foregroundColour));
    painter.drawLine(area.left, area.bottom, area.right, area.bottom);
    painter.drawLine(area.left, area.bottom, area.left, area.top);
    DrawLegends(painter, store, layout);
    DrawCurves(painter, store, options, area, false);
    DrawCursors(painter, store, area, cursors);
}

} // namespace

QString LegendText(int n, const Curve& curve)
{
    char text[96];
    if (curve.legend[0] != '\0')
        std::snprintf(text, sizeof text, curve.operation == ' ' ? "%d: %s" : "%d: %s %c", n,
                      curve.legend, curve.operation);
    else
        std::snprintf(text, sizeof text, "%d: %s x %s %c", n, curve.xName, curve.yName,
                      curve.operation);
    return QString::fromUtf8(DisplayText(text).c_str());
}

GraphDrawing DrawGraph(QPainter& painter, CurveStore& store, const PlotOptions& options, QSize size,
                       const GraphCursors* cursors)
{
    const int width = size.width(), height = size.height();
    GraphDrawing drawing;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(GraphFont(options.CBdivisoes));
    painter.fillRect(QRect(0, 0, width, height), Rgb(store.backgroundColour));
    drawing.status = QString::asprintf("Tamanho da tela: %d x %d", width, height);
    if (!store.plotReady)
        return drawing;

    SettleLogAxes(store, options.CBauto);
    auto layout = std::make_unique<GraphLayout>();
    LayOutGraph(store, options, size, *layout);
    const PlotArea& area = layout->area;
    ComputeTransforms(store, options.CBauto, area);
    store.PreparePositions();
    const GraphCursors none;
    if (layout->numbered)
        DrawNumbered(painter, store, options, *layout, cursors ? *cursors : none);
    else
        DrawPlain(painter, store, options, *layout, cursors ? *cursors : none);
    drawing.complete = true;
    return drawing;
}

} // namespace talvor
