// TForm5, "Gráficos": the graph window. PaintBox1 draws the curve store through the saved
// picture: a repaint while pictureSaved is set only copies the picture; any change of the view
// clears pictureSaved and repaints, which draws everything again and saves it.
#pragma once

#include <QPixmap>
#include <QWidget>

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

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CurveStore& store_;
    const PlotOptions& options_;
    int fullDrawings_ = 0;
};
