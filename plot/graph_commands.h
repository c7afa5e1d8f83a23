// The graph window's commands as plain operations on the curve store: the key commands that zoom,
// pan and reset the view, the colour commands, and the pixels of the last drawing read back as values.
#pragma once

#include <cstdint>
#include <random>

class CurveStore;
struct PlotOptions;

// Pseudo-random channel values for the "c" key.
class ColourRandom {
public:
    explicit ColourRandom(uint32_t seed = 1) : engine_(seed) {}
    int Channel() { return static_cast<int>(engine_() % 255); } // 0..254

private:
    std::minstd_rand engine_;
};

// The view commands; each acts on one axis, logarithmically when the store's logX or logY is set.
enum class ViewCommand { ZoomInX, ZoomOutX, ZoomInY, ZoomOutY, Left, Right, Up, Down };

// Changes the view limits. A result that could not be drawn (a limit that is not finite, equal
// limits, a limit not above zero on a logarithmic axis) leaves them as they were and returns false.
bool ApplyViewCommand(CurveStore& store, ViewCommand command);

// The four limit fields read with "%lg"; a field without a finite number leaves its limit.
void ReadNormalView(CurveStore& store, const PlotOptions& options);

// Every one of the 20 curve colours gets random channels 0..254, drawn blue, green, red.
void RandomCurveColours(CurveStore& store, ColourRandom& random);

// White on black becomes black on white and back, resetting curve 1 and the grid colours.
void ToggleColourScheme(CurveStore& store);

// A typed character's command ('a', 'r', '+', '-', '<', '>', 'u', 'd', ' ', 'c', 'i'; case
// matters). Returns false for any other character, which changes nothing.
bool CharacterCommand(CurveStore& store, const PlotOptions& options, ColourRandom& random, char key);

// Values of a pixel column and row by the transforms of curve 1, and the phase of a row.
double ColumnValue(const CurveStore& store, int column);
double RowValue(const CurveStore& store, int row);
double RowPhase(const CurveStore& store, int row);

// The mouse zoom: the box from the press (x0, y0) to the last move (x1, y1) becomes the view when
// it was dragged to the right and downwards and its corners have drawable values. True when the
// view changed.
bool ZoomToBox(CurveStore& store, int x0, int y0, int x1, int y1);

// The legend line under pixel row y of the left margin: (y - 10) / 15 truncated toward zero.
inline int LegendRowAt(int y) { return (y - 10) / 15; }

// Status texts: the values under the mouse ("X=%g Y=%g", plus " F=%g" when a phase curve is
// plotted), and the size of the zoom box in data units ("dX=%g dY=%g").
void ReadoutText(const CurveStore& store, int x, int y, char* text, int size);
void DragText(const CurveStore& store, int x0, int y0, int x1, int y1, char* text, int size);
