// The main window's keys: Ctrl+O, Ctrl+S, Ctrl+Shift+C (Ctrl+C on the
// canvas), Ctrl+E, Ctrl+I, Ctrl+G, Ctrl+P, Ctrl+Q, F1, Shift+F10, and for the edits
// Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y and Ctrl+Shift+S. The canvas
// menu shows the keys of its actions but leaves them to the window. The
// other windows (the inspector, the gallery, the player, the comparison)
// close with Ctrl+W, and
// Ctrl+Q ends the program from them too.
#pragma once

class QWidget;

namespace zpk {

class CanvasMenu;
class ViewerContext;

void installWindowKeys(ViewerContext& window, CanvasMenu& menu, QWidget& canvas);

// Ctrl+W closes `window`; Ctrl+Q closes `main`, the main window, whose
// close ends the program (`window` itself when there is no main window).
void installOtherWindowKeys(QWidget& window, QWidget* main);

}  // namespace zpk
