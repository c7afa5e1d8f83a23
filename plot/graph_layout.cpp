// The layout of a graph drawing: the plain one of the limit labels and the legends in the left
// margin, and the numbered one with ticks, titles and the legends in a box.
#include "plot/graph_layout.h"

#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>

#include "plot/graph_painter.h"
#include "plot/plot_run.h"

namespace talvor {

QFont GraphFont(bool antialiased)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(11);
    font.setStyleStrategy(antialiased ? QFont::PreferAntialias : QFont::NoAntialias);
    return font;
}

namespace {

// The plain layout's legends fill the margin left of the plot, one line of 15 units each.
constexpr int LegendLine = 15;
// Numbered layout: the legend box's inner margin, its distance from the plot's edges, and the
// gap between its columns.
constexpr int BoxPadding = 4, BoxInset = 6, ColumnGap = 10;
// Label spacing on each axis: horizontal labels at least this far apart, and kept clear of each
// other by a gap; vertical ones likewise; the phase scale in whole steps of 45 or 90 degrees.
constexpr double HorizontalSpacing = 60, HorizontalGap = 12;
constexpr double VerticalSpacing = 36, PhaseSpacing = 80, VerticalGap = 4;

class WidthExtent : public LabelExtent {
public:
    explicit WidthExtent(const QFontMetricsF& metrics) : metrics_(metrics) {}
    double Of(const char* text) const override
    {
        return metrics_.horizontalAdvance(QString::fromUtf8(text));
    }

private:
    const QFontMetricsF& metrics_;
};

class HeightExtent : public LabelExtent {
public:
    explicit HeightExtent(double height) : height_(height) {}
    double Of(const char*) const override { return height_; }

private:
    double height_;
};

void PlainLegends(const CurveStore& store, GraphLayout& layout)
{
    layout.legendCount = store.curveCount;
    for (int n = 1; n <= store.curveCount; ++n)
        layout.legendRows[n] =
            QRect(0, layout.area.top + LegendLine * n, layout.area.left, LegendLine);
}

// The box in the plot's top-right corner, in as many columns as its height needs and the plot's
// width holds; legends beyond those have no row (a small window shows the first ones).
void BoxedLegends(const CurveStore& store, const QFontMetricsF& metrics, GraphLayout& layout)
{
    const int count = store.curveCount;
    layout.legendCount = count;
    if (count == 0)
        return;
    double textWidth = 0;
    for (int n = 1; n <= count; ++n)
        textWidth = std::max(textWidth, metrics.horizontalAdvance(LegendText(n, store.curves[n])));
    const PlotArea& area = layout.area;
    const int columnWidth =
        LegendSampleWidth + LegendTextGap + static_cast<int>(std::ceil(textWidth));
    const int perColumn =
        std::max(1, (area.bottom - area.top - 2 * BoxInset - 2 * BoxPadding) / LegendLine);
    const int fittingColumns =
        std::max(1, (area.right - area.left - 2 * BoxInset - 2 * BoxPadding + ColumnGap) /
                        (columnWidth + ColumnGap));
    const int columns = std::min((count + perColumn - 1) / perColumn, fittingColumns);
    const int rows = std::min(count, perColumn);
    const int width = columns * columnWidth + (columns - 1) * ColumnGap + 2 * BoxPadding;
    const int left = std::max(area.left + BoxInset, area.right - BoxInset - width);
    // In a window too small for one column the box keeps within the plot, showing what fits.
    const QRect inside(QPoint(area.left + BoxInset, area.top + BoxInset),
                       QPoint(area.right - BoxInset, area.bottom - BoxInset));
    layout.legendFrame =
        QRect(left, area.top + BoxInset, width, rows * LegendLine + 2 * BoxPadding) & inside;
    for (int n = 1; n <= std::min(count, columns * perColumn); ++n) {
        const int column = (n - 1) / perColumn, row = (n - 1) % perColumn;
        const QRect rowRect(left + BoxPadding + column * (columnWidth + ColumnGap),
                            area.top + BoxInset + BoxPadding + row * LegendLine, columnWidth,
                            LegendLine);
        if (layout.legendFrame.contains(rowRect))
            layout.legendRows[n] = rowRect;
    }
}

double WidestLabel(const AxisTicks& ticks, const QFontMetricsF& metrics)
{
    double widest = 0;
    for (int i = 0; i < ticks.count; ++i)
        widest =
            std::max(widest, metrics.horizontalAdvance(QString::fromUtf8(ticks.ticks[i].text)));
    return widest;
}

AxisSpan VerticalSpan(const CurveStore& store, const PlotArea& area, bool phase)
{
    AxisSpan span;
    if (phase) {
        span.kind = AxisKind::Phase;
        span.low = -180, span.high = 180;
        PhaseTransform(area, span.scale, span.offset);
        span.minSpacing = PhaseSpacing;
    } else {
        span.kind = store.logY ? AxisKind::Logarithmic : AxisKind::Linear;
        span.low = store.viewYMin, span.high = store.viewYMax;
        VerticalTransform(span.low, span.high, store.logY, area, span.scale, span.offset);
        span.minSpacing = VerticalSpacing;
    }
    // The transforms run downwards; the ticks are found from the lower limit up either way.
    span.gap = VerticalGap;
    return span;
}

void HorizontalTicks(const CurveStore& store, const PlotArea& area, const QFontMetricsF& metrics,
                     AxisTicks& ticks)
{
    AxisSpan span;
    span.kind = store.logX ? AxisKind::Logarithmic : AxisKind::Linear;
    span.low = store.viewXMin, span.high = store.viewXMax;
    HorizontalTransform(span.low, span.high, store.logX, area, span.scale, span.offset);
    span.minSpacing = HorizontalSpacing;
    span.gap = HorizontalGap;
    ComputeAxisTicks(span, WidthExtent(metrics), ticks);
}

// Margins grow to hold the labels and titles; the plot takes the rest.
void NumberedLayout(const CurveStore& store, const PlotOptions& options, QSize size,
                    GraphLayout& layout)
{
    const QFontMetricsF metrics(GraphFont(true));
    const int lineHeight = static_cast<int>(std::ceil(metrics.height()));
    const bool commonScale = !options.CBauto;
    layout.titles = TitlesOf(store, options);
    const int width = size.width(), height = size.height();
    PlotArea& area = layout.area;
    area.top = std::max(10, lineHeight / 2 + 3);
    // Under the plot: ticks, their labels (clear of the lowest left label, centred on the
    // bottom edge), the title.
    const int labelOffset = std::max(TickLength + 2, (lineHeight + 1) / 2 + 2);
    area.bottom = height - (commonScale ? labelOffset + lineHeight + 3 : 0) - lineHeight - 4;
    layout.xLabelTop = area.bottom + labelOffset;

    double leftLabels = 0, rightLabels = 0;
    if (commonScale) {
        ComputeAxisTicks(VerticalSpan(store, area, layout.titles.leftIsPhase),
                         HeightExtent(lineHeight), layout.leftTicks);
        leftLabels = WidestLabel(layout.leftTicks, metrics);
        if (!layout.titles.right.empty()) {
            ComputeAxisTicks(VerticalSpan(store, area, true), HeightExtent(lineHeight),
                             layout.rightTicks);
            rightLabels = WidestLabel(layout.rightTicks, metrics);
        }
    }
    const int titleBand = 4 + lineHeight + 4;
    const int labelBand =
        commonScale ? static_cast<int>(std::ceil(leftLabels)) + 3 + TickLength : 0;
    area.left = titleBand + labelBand;
    area.right =
        layout.titles.right.empty()
            ? width - 10
            : width - titleBand - static_cast<int>(std::ceil(rightLabels)) - 3 - TickLength;
    if (commonScale) {
        // The last label under the axis is centred on its tick: room for its right half.
        HorizontalTicks(store, area, metrics, layout.xTicks);
        if (layout.xTicks.count > 0 && layout.titles.right.empty()) {
            const AxisTick& last = layout.xTicks.ticks[layout.xTicks.count - 1];
            const int overflow = last.pixel +
                                 static_cast<int>(std::ceil(
                                     metrics.horizontalAdvance(QString::fromUtf8(last.text)) / 2)) -
                                 (width - 2);
            if (overflow > 0) {
                area.right -= overflow;
                HorizontalTicks(store, area, metrics, layout.xTicks);
            }
        }
    }
    layout.xTitle = QRect(area.left, height - 3 - lineHeight, area.right - area.left, lineHeight);
    layout.leftTitle = QRect(4, area.top, lineHeight, area.bottom - area.top);
    layout.rightTitle = QRect(width - 4 - lineHeight, area.top, lineHeight, area.bottom - area.top);
    BoxedLegends(store, metrics, layout);
}

} // namespace

void LayOutGraph(const CurveStore& store, const PlotOptions& options, QSize size,
                 GraphLayout& layout)
{
    layout = GraphLayout();
    layout.numbered = options.CBdivisoes;
    if (!layout.numbered) {
        layout.area = PlotAreaFor(size.width(), size.height());
        PlainLegends(store, layout);
        return;
    }
    NumberedLayout(store, options, size, layout);
}

const AxisTicks& TicksOn(const GraphLayout& layout, TickSide side)
{
    return side == TickSide::Bottom ? layout.xTicks
           : side == TickSide::Left ? layout.leftTicks
                                    : layout.rightTicks;
}

QRectF TickLabelRect(const GraphLayout& layout, TickSide side, int i)
{
    const QFontMetricsF metrics(GraphFont(true));
    const AxisTick& tick = TicksOn(layout, side).ticks[i];
    const double width = metrics.horizontalAdvance(QString::fromUtf8(tick.text));
    const double height = std::ceil(metrics.height());
    const PlotArea& area = layout.area;
    switch (side) {
    case TickSide::Bottom:
        return QRectF(tick.pixel - width / 2, layout.xLabelTop, width, height);
    case TickSide::Left:
        return QRectF(area.left - TickLength - 3 - width, tick.pixel - height / 2, width, height);
    case TickSide::Right:
        break;
    }
    return QRectF(area.right + TickLength + 3, tick.pixel - height / 2, width, height);
}

LegendHit HitLegends(const GraphLayout& layout, QPoint at)
{
    LegendHit hit;
    for (int n = 1; n <= layout.legendCount; ++n) {
        if (layout.legendRows[n].contains(at)) {
            hit.kind = LegendHit::CurveColour;
            hit.curve = n;
            return hit;
        }
    }
    if (at.x() < layout.area.left)
        hit.kind = LegendHit::GridColours;
    return hit;
}

} // namespace talvor
