// Fitting windows into small screens.
#include "plot/screen_fit.h"

#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace talvor {

namespace {

// The frame around a window: as the window system drew it once the window is shown; before
// that, a title bar and borders of a few units as an estimate.
QSize FrameOf(const QWidget& window)
{
    if (window.isVisible())
        return window.frameGeometry().size() - window.geometry().size();
    constexpr int border = 4;
    return QSize(2 * border, window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border);
}

} // namespace

QSize RoomOnScreen(const QWidget& window)
{
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    return screen->availableGeometry().size() - FrameOf(window);
}

void FitIntoScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (screen == nullptr)
        return;
    const QSize size =
        window.size().boundedTo(RoomOnScreen(window)).expandedTo(window.minimumSizeHint());
    if (size != window.size())
        window.resize(size);
    const QRect available = screen->availableGeometry();
    const QSize outer = size + FrameOf(window);
    const int x = std::clamp(window.x(), available.left(),
                             std::max(available.left(), available.right() + 1 - outer.width()));
    const int y = std::clamp(window.y(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - outer.height()));
    if (x != window.x() || y != window.y())
        window.move(x, y);
}

} // namespace talvor
