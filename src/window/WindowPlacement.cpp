#include "window/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace zpk {

namespace {

// Between the main window's frame and the other window's.
constexpr int kGap = 8;

}  // namespace

void placeBeside(QWidget& window, const QWidget& main, Beside side)
{
    QScreen* screen = main.screen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
    const QRect mainFrame = main.frameGeometry();
    if (area.isEmpty()) {
        window.move(mainFrame.topRight() + QPoint(kGap, 0));
        return;
    }
    // its frame is as thick as the main window's, which is up already
    const QSize frame = mainFrame.size() - main.size();
    window.resize(window.size().boundedTo(area.size() - frame));
    const QSize outer = window.size() + frame;
    int x = mainFrame.right() + 1 + kGap;
    if (const int left = mainFrame.left() - kGap - outer.width();
        side == Beside::LeftElseRight && left >= area.left())
        x = left;
    x = std::min(x, area.right() + 1 - outer.width());
    const int y = std::min(mainFrame.top(), area.bottom() + 1 - outer.height());
    window.move(std::max(x, area.left()), std::max(y, area.top()));
}

}  // namespace zpk
