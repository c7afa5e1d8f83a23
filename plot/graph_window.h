// TForm5, "Gráficos": the graph window. PaintBox1 draws the curve store through the saved
// picture: a repaint while pictureSaved is set only copies the picture; every command clears
// pictureSaved and repaints at once, which draws everything again and saves it. Keys zoom and
// pan, a drag over the plot zooms into a box, a click on the legends chooses colours, and the
// status line reads the values under the mouse. Besides: two cursors on the curves with their
// readout at the status line's right, and the way back through the views shown ("z").
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "plot/graph_cursors.h"
#include "plot/view_commands.h"

class QColorDialog;
class QLabel;
class QMouseEvent;
class QStatusBar;

namespace talvor {

class CurveStore;
struct PlotOptions;

// The colour chooser behind a small interface, so that tests can answer it without a modal dialog.
class ColourChooser {
public:
    virtual ~ColourChooser() = default;
    // True with rgb (24-bit RGB) set when the user confirms a colour; false, rgb untouched, when
    // the choice is cancelled.
    virtual bool Choose(uint32_t& rgb) = 0;
};

// ColorDialog1, the modal colour dialog. It opens showing the colour it returned last (black the
// first time); the colour being replaced is its first custom colour.
class ColorDialogChooser : public ColourChooser {
public:
    explicit ColorDialogChooser(QWidget* parent) : parent_(parent) {}
    bool Choose(uint32_t& rgb) override;
    // Made at its first use: building the dialog would cost a good part of the start-up.
    QColorDialog* Dialog();

private:
    QWidget* parent_;
    QColorDialog* dialog_ = nullptr;
    uint32_t lastChosen_ = 0x000000;
};

class TForm5 : public QWidget {
    Q_OBJECT

public:
    // options are the curve list's, kept current by its controls.
    TForm5(CurveStore& store, const PlotOptions& options, QWidget* parent = nullptr);

    // The paint handler of PaintBox1.
    void PaintBox1Paint(QPainter& screen);
    // A press with Ctrl places cursor 1, with Shift cursor 2, instead of starting a zoom.
    void PaintBox1MouseDown(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void PaintBox1MouseMove(QPoint at);
    void PaintBox1MouseUp();
    // FormKeyDown sees every key (the arrow keys act here), FormKeyPress the typed characters;
    // each returns whether the key was a command. "m" asks for the measurements of the plotted
    // curves (MeasureRequested), which the program logs in the main window; "n" asks the curve
    // list to turn the numbered divisions on or off (NumberedDivisionsToggleRequested). "1" and
    // "2" place a cursor at the curve point nearest the mouse, "0" takes both away, Ctrl with
    // Left or Right moves the last placed one a sample along its curve (ten with Shift too);
    // "z" and Backspace go back to the view before the last change.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    bool FormKeyPress(char key);
    void FormResize();
    // Ctrl+S: the picture into a file, PNG at the screen's pixel ratio or SVG, by its name;
    // Ctrl+C: the picture on the clipboard, as an image and as SVG.
    void SavePicture();
    void CopyPicture();
    // Asks for the file of Ctrl+S, starting from a suggested name; an empty text when cancelled.
    // Tests replace it to answer without a modal dialog.
    std::function<QString(const QString& suggested)> saveDialog;
    // ColorDialog1 unless a test sets its own chooser (not owned; null restores ColorDialog1).
    void SetColourChooser(ColourChooser* chooser)
    {
        chooser_ = chooser ? chooser : colorDialog1_.get();
    }
    // After a Plot run: draw afresh and bring the window up.
    void ShowPlot();
    // After a change of the plot options: draw afresh.
    void Redraw() { Repaint(); }
    // After a Plot run that left nothing to draw: an open window says so instead of keeping its
    // old picture; a hidden one stays hidden.
    void ShowNothingToPlot();
    // Full drawings made so far (the repaints that only copied the picture are not counted).
    int FullDrawingCount() const { return fullDrawings_; }
    bool Zooming() const { return zooming_; }
    const QPixmap& SavedPicture() const { return savedPicture; }
    const GraphCursors& Cursors() const { return cursors_; }
    int ViewsBack() const { return history_.Size(); }

signals:
    void MeasureRequested();
    void NumberedDivisionsToggleRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override; // opens within the screen
    void resizeEvent(QResizeEvent* event) override;

private:
    void Repaint();
    void Apply(ViewCommand command);
    void RememberView(const ViewLimits& before);
    void GoBack();
    void PlaceCursor(int n, QPoint at);
    void MoveCursor(int steps);
    void ClearCursors();
    void ShowCursorReadout();
    void ChooseCurveColour(int curve);
    void ChooseGridColours();
    void DrawZoomBox(QPainter& screen) const;

    CurveStore& store_;
    const PlotOptions& options_;
    QWidget* PaintBox1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* cursorReadout_ = nullptr; // at the right of the status line
    QPixmap savedPicture;
    ChannelGenerator channels_;
    std::unique_ptr<ColorDialogChooser> colorDialog1_;
    ColourChooser* chooser_ = nullptr;
    bool zooming_ = false;
    QPoint zoomStart_, zoomEnd_;
    QPoint mouse_; // where "1" and "2" place the cursors: the last position the mouse reported
    GraphCursors cursors_;
    ViewHistory history_;
    QString pictureName_ = QStringLiteral("grafico.png"); // the last file of Ctrl+S
    int fullDrawings_ = 0;
};

} // namespace talvor
