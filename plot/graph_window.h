// TForm5, "Gráficos": the graph window. PaintBox1 draws the curve store through the saved
// picture: a repaint while pictureSaved is set only copies the picture; any change of the view
// clears pictureSaved and repaints, which draws everything again and saves it.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <memory>

#include "plot/colour_chooser.h"
#include "plot/graph_commands.h"

class CurveStore;
struct PlotOptions;
class QStatusBar;

class TForm5 : public QWidget {
public:
    // options are the curve list's, kept current by it.
    TForm5(CurveStore& store, const PlotOptions& options, QWidget* parent = nullptr);

    QWidget* PaintBox1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QPixmap savedPicture;

    // The paint handler of PaintBox1.
    void PaintBox1Paint(QPainter& screen);
    // After a Plot run: draw afresh and bring the window up.
    void ShowPlot();
    // Full drawings made so far (the repaints that only copied the picture are not counted).
    int FullDrawingCount() const { return fullDrawings_; }

    // Keys (graph_interaction.cpp): FormKeyDown sees every key, FormKeyPress the typed characters.
    void FormKeyDown(int key);
    void FormKeyPress(char key);
    // The mouse over PaintBox1, at pixel (x, y) of the drawing area.
    void PaintBox1MouseDown(int x, int y);
    void PaintBox1MouseMove(int x, int y);
    void PaintBox1MouseUp();
    void FormResize();

    // ColorDialog1 unless a test sets its own chooser (not owned; null restores ColorDialog1).
    void SetColourChooser(ColourChooser* chooser) { chooser_ = chooser ? chooser : colorDialog1_.get(); }
    bool Zooming() const { return zooming_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Draws everything again now: the end of every command.
    void RepaintAll();
    void ChooseCurveColour(int k);
    void ChooseGridColours();
    // The zoom box outline, drawn over the picture on the screen only.
    void DrawZoomOutline(QPainter& screen) const;

    CurveStore& store_;
    const PlotOptions& options_;
    int fullDrawings_ = 0;
    std::unique_ptr<ColorDialogChooser> colorDialog1_;
    ColourChooser* chooser_ = nullptr;
    ColourRandom random_;
    bool zooming_ = false;
    int zoomX0_ = 0, zoomY0_ = 0, zoomX1_ = 0, zoomY1_ = 0;
};
