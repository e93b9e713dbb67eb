// The main window's keys: Ctrl+O, Ctrl+S, Ctrl+Shift+C (Ctrl+C on the
// canvas), Ctrl+E, Ctrl+I, Ctrl+G, Ctrl+Q, F1 and Shift+F10. The canvas
// menu shows the keys of its actions but leaves them to the window.
#pragma once

class QWidget;

namespace zpk {

class CanvasMenu;
class ViewerContext;

void installWindowKeys(ViewerContext& window, CanvasMenu& menu, QWidget& canvas);

}  // namespace zpk
