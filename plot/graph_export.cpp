// Pictures of the graph for files and the clipboard.
#include "plot/graph_export.h"

#include <QBuffer>
#include <QFontInfo>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>

#include "plot/graph_layout.h"
#include "plot/graph_painter.h"

namespace talvor {

bool IsSvgName(const QString& fileName)
{
    return fileName.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive);
}

QImage GraphImage(CurveStore& store, const PlotOptions& options, QSize size, double pixelRatio,
                  const GraphCursors* cursors, int maxSide)
{
    const int width = static_cast<int>(std::ceil(size.width() * pixelRatio));
    const int height = static_cast<int>(std::ceil(size.height() * pixelRatio));
    if (width > maxSide || height > maxSide)
        return QImage();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(pixelRatio);
    QPainter painter(&image);
    DrawGraph(painter, store, options, size, cursors);
    return image;
}

QByteArray GraphSvg(CurveStore& store, const PlotOptions& options, QSize size,
                    const GraphCursors* cursors)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QStringLiteral("Gráficos"));
    svg.setDescription(QStringLiteral("Talvor"));
    svg.setResolution(96); // a unit is a CSS pixel
    QPainter painter(&svg);
    DrawGraph(painter, store, options, size, cursors);
    const QString family = QFontInfo(painter.font()).family();
    painter.end();
    // The font as this system found it, then the generic family: another computer may lack the
    // first and knows no "Sans Serif".
    QByteArray document = buffer.data();
    document.replace("font-family=\"" + GraphFont(false).family().toUtf8() + '"',
                     "font-family=\"" + family.toUtf8() + ", sans-serif\"");
    return document;
}

bool SavePng(const QString& path, const QImage& image)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && image.save(&file, "PNG") && file.commit();
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    // Through a temporary file: a failed write leaves what was there.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace talvor
