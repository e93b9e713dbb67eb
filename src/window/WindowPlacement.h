// Where the viewer's windows open: the main window wholly on its screen's
// available area when it fits there, its title bar in reach when it does
// not; the other windows (the inspector, the gallery) beside it.
#pragma once

class QWidget;

namespace zpk {

// Which side of the main window is tried first.
enum class Beside {
    Right,         // right of it, as far right as fits
    LeftElseRight  // left of it when the screen has room there, else right
};

// Moves `window` beside `main`, 8 pixels from its frame, top edges level,
// on the first side where it fits whole, else on the side with more room,
// made narrower to fit there (down to its minimum size); only when neither
// side has room for that does it cover part of `main`. It is made small
// enough to lie wholly on the available area of the screen that holds
// `main` (its frame taken as thick as main's).
void placeBeside(QWidget& window, const QWidget& main, Beside side);

// Moves `window` up and left as far as its frame needs to lie on the
// available area of its screen, or down and right onto it; a window larger
// than the area goes to the area's top left corner, so that its title bar
// stays in reach. Before the window is shown its frame is taken as none,
// and a window never moved is centred on the area.
void keepOnScreen(QWidget& window);

}  // namespace zpk
