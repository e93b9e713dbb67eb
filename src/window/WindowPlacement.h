// Where the viewer's other windows (the inspector, the gallery) open:
// beside the main window, on its screen.
#pragma once

class QWidget;

namespace zpk {

// Which side of the main window is tried first.
enum class Beside {
    Right,         // right of it, as far right as fits
    LeftElseRight  // left of it when the screen has room there, else right
};

// Moves `window` beside `main`, 8 pixels from its frame, top edges level,
// where it leaves the main window in sight when the screen has room; else
// as far to that side as it fits. It is made small enough to lie wholly on
// the screen that holds `main` (its frame taken as thick as main's).
void placeBeside(QWidget& window, const QWidget& main, Beside side);

}  // namespace zpk
