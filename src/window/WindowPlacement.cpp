#include "window/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace zpk {

namespace {

// Between the main window's frame and the other window's.
constexpr int kGap = 8;

// The left edge (or top edge) of `length` pixels from `wanted`, moved onto
// `first` .. `first + room`; at `first` when it is longer than that.
int onto(int wanted, int length, int first, int room)
{
    return std::max(std::min(wanted, first + room - length), first);
}

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

    const int roomRight = area.right() - mainFrame.right() - kGap;
    const int roomLeft = mainFrame.left() - kGap - area.left();
    const bool leftFirst = side == Beside::LeftElseRight;
    const int outerWidth = window.width() + frame.width();
    bool onLeft = roomLeft > roomRight || (roomLeft == roomRight && leftFirst);
    if (outerWidth <= (leftFirst ? roomLeft : roomRight)) onLeft = leftFirst;
    else if (outerWidth <= (leftFirst ? roomRight : roomLeft)) onLeft = !leftFirst;
    const int room = onLeft ? roomLeft : roomRight;
    const int narrowest = std::max(window.minimumSizeHint().width(), window.minimumWidth()) + frame.width();
    if (outerWidth > room && room >= narrowest) window.resize(room - frame.width(), window.height());

    const QSize outer = window.size() + frame;
    const int x = onLeft ? mainFrame.left() - kGap - outer.width() : mainFrame.right() + 1 + kGap;
    window.move(onto(x, outer.width(), area.left(), area.width()),
                onto(mainFrame.top(), outer.height(), area.top(), area.height()));
}

void keepOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QRect at = window.frameGeometry();
    if (area.isEmpty()) return;
    QRect frame = at;
    // a window about to open where the window manager likes is centred
    // on the area: placed now, not after the window manager has framed
    // it, so the windows placed beside it see where it will be
    if (!window.isVisible() && !window.testAttribute(Qt::WA_Moved)) frame.moveCenter(area.center());
    // a window the area cannot hold goes to its corner even when it
    // stands there: left to the window manager, it could open centred,
    // its title bar above the screen
    const bool fits = frame.width() <= area.width() && frame.height() <= area.height();
    const QPoint place = fits ? QPoint(onto(frame.left(), frame.width(), area.left(), area.width()),
                                       onto(frame.top(), frame.height(), area.top(), area.height()))
                              : area.topLeft();
    if (!fits || place != at.topLeft()) window.move(place);
}

}  // namespace zpk
