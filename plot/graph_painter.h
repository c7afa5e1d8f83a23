// The whole graph drawn from the curve store and the plot options, onto any paint device: the
// graph window's saved picture or an image for talvor-plot.
#pragma once

#include <QSize>
#include <QString>

class QPainter;

namespace talvor {

class CurveStore;
struct Curve;
struct GraphCursors;
struct PlotOptions;

struct GraphDrawing {
    QString status;        // "Tamanho da tela: W x H"
    bool complete = false; // the curves were drawn (plotReady); the picture may be saved
};

// The legend line of curve n: "%d: %s x %s %c" with its column names and operation.
QString LegendText(int n, const Curve& curve);

// Draws background, limit labels (or numbered divisions), grid, axes, legends, curves (clipped
// to the plot rectangle) and the cursors placed at size, and leaves in the store the transforms
// the mouse readout needs (and logX/logY cleared when the limits of that axis are not positive).
// size is in units of the paint device, which may hold several pixels per unit (its device pixel
// ratio): the drawing is then the same in finer pixels, and the transforms stay in units. The
// screen, PNG and SVG pictures all come from here.
GraphDrawing DrawGraph(QPainter& painter, CurveStore& store, const PlotOptions& options, QSize size,
                       const GraphCursors* cursors = nullptr);

} // namespace talvor
