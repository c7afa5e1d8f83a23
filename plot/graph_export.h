// The graph's picture outside the window: a PNG or SVG file, or the clipboard. Every picture is
// drawn by the graph painter, as the screen's is.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace talvor {

class CurveStore;
struct GraphCursors;
struct PlotOptions;

// A file name ending in ".svg" (any case) is a vector picture; any other a PNG.
bool IsSvgName(const QString& fileName);

// The graph at size (in units) drawn on pixelRatio pixels per unit; a null image when it would
// be too large (more than maxSide pixels on a side) or cannot be made.
QImage GraphImage(CurveStore& store, const PlotOptions& options, QSize size, double pixelRatio,
                  const GraphCursors* cursors, int maxSide = 16000);

// The graph as an SVG document of size units: lines and text stay sharp at any zoom.
QByteArray GraphSvg(CurveStore& store, const PlotOptions& options, QSize size,
                    const GraphCursors* cursors);

// Write a picture or bytes to path whole or not at all (a failed write leaves what was there);
// false when the file cannot be written.
bool SavePng(const QString& path, const QImage& image);
bool WriteWholeFile(const QString& path, const QByteArray& bytes);

} // namespace talvor
