// Windows on small screens (a laptop's at twice the pixels per unit leaves 800 x 500 units): a
// window opens within the screen's available area, never larger than it, and wholly inside it.
#pragma once

#include <QSize>

class QWidget;

namespace talvor {

// The size a window may take on its screen: the available area less the window's frame (an
// estimate of it before the window is shown).
QSize RoomOnScreen(const QWidget& window);

// Shrinks a window that is larger than its room (not below its minimum size) and moves it so
// that it lies inside the available area.
void FitIntoScreen(QWidget& window);

} // namespace talvor
