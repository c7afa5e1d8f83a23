// TForm5, "Gráficos": the graph window. PaintBox1 draws the curve store through the saved
// picture: a repaint while pictureSaved is set only copies the picture; every command clears
// pictureSaved and repaints at once, which draws everything again and saves it. Keys zoom and
// pan, a drag over the plot zooms into a box, a click on the legends chooses colours, and the
// status line reads the values under the mouse.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

#include "plot/view_commands.h"

class CurveStore;
struct PlotOptions;
class QMouseEvent;
class QStatusBar;

class TForm5 : public QWidget {
public:
    // options are the curve list's, kept current by it.
    TForm5(CurveStore& store, const PlotOptions& options, QWidget* parent = nullptr);

    QWidget* PaintBox1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QPixmap savedPicture;

    // ColorDialog1: opens showing the given colour (the one it returned last, black at first);
    // returns the chosen 24-bit RGB colour, or nothing when the user cancels. Tests replace it.
    std::function<std::optional<uint32_t>(uint32_t shown)> colorDialog;

    // The paint handler of PaintBox1.
    void PaintBox1Paint(QPainter& screen);
    void PaintBox1MouseDown(QPoint at);
    void PaintBox1MouseMove(QPoint at);
    void PaintBox1MouseUp();
    // After a Plot run: draw afresh and bring the window up.
    void ShowPlot();
    // Full drawings made so far (the repaints that only copied the picture are not counted).
    int FullDrawingCount() const { return fullDrawings_; }
    bool Zooming() const { return zooming_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Repaint();
    void Apply(ViewCommand command);
    std::optional<uint32_t> ChooseColour();
    void ChooseLegendColour(int row);

    CurveStore& store_;
    const PlotOptions& options_;
    ChannelGenerator channels_;
    uint32_t lastColour_ = 0x000000;
    bool zooming_ = false;
    QPoint zoomStart_, zoomEnd_;
    int fullDrawings_ = 0;
};
