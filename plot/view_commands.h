// The graph window's keyboard commands on the curve store: zoom and pan of either axis, back to
// the normal view, random curve colours and the colour scheme.
#pragma once

#include <cstdint>

namespace talvor {

class CurveStore;
struct PlotOptions;

enum class ViewCommand {
    ZoomInX,       // "a": right end to the middle
    ZoomOutX,      // "r"
    ZoomInY,       // "+": top to the middle
    ZoomOutY,      // "-"
    MoveLeft,      // "<" or Left: a quarter of the view
    MoveRight,     // ">" or Right
    MoveUp,        // "u" or Up
    MoveDown,      // "d" or Down
    NormalView,    // " ": the limits typed in the curve list
    RandomColours, // "c": none too close to the background to see
    ToggleScheme,  // "i": black on white or white on black
};

// The four view limits of the graph.
struct ViewLimits {
    double xMin, xMax, yMin, yMax;
    bool operator==(const ViewLimits&) const = default;
};
ViewLimits LimitsOf(const CurveStore& store);

// The views the graph showed before each change of its limits, most recent last, to go back to
// one by one ("z" or Backspace). The oldest are forgotten beyond Capacity.
class ViewHistory {
public:
    static constexpr int Capacity = 1000;
    void Push(const ViewLimits& view);
    // Puts back the most recent view and forgets it; false when there is none.
    bool Back(CurveStore& store);
    void Clear() { count_ = 0; }
    int Size() const { return count_; }

private:
    ViewLimits views_[Capacity];
    int newest_ = -1; // slot of the most recent view
    int count_ = 0;
};

// The command of a typed character (case-sensitive); false for any other character.
bool CommandForCharacter(char c, ViewCommand& command);

// A pseudo-random source of colour channels from 0 to 254.
class ChannelGenerator {
public:
    int Next();

private:
    uint32_t state_ = 12345;
};

// Applies a command; the horizontal ones follow logX, the vertical ones logY. The normal view
// reads the four limit texts with "%lg", keeping a limit whose text holds no finite number. A
// zoom or pan whose limits could not be drawn (not finite, equal, or not above zero on a
// logarithmic axis) leaves them as they were.
void ApplyViewCommand(CurveStore& store, ViewCommand command, const PlotOptions& fields,
                      ChannelGenerator& channels);

// Value of a pixel column or row with the transforms of curve 1 (what the screen shows).
double ColumnValue(const CurveStore& store, int column);
double RowValue(const CurveStore& store, int row);
double RowPhase(const CurveStore& store, int row);

// The mouse zoom: the box from the press (x0, y0) to the last move (x1, y1) becomes the view
// when it was dragged to the right and downwards and its corners have drawable values. True
// when the view changed.
bool ZoomToBox(CurveStore& store, int x0, int y0, int x1, int y1);

} // namespace talvor
