// A fixed border asked of X11 window managers through the Motif hints:
// the window is moved and closed, never resized, minimised or maximised.
#pragma once

class QWidget;

namespace zpk {

// Writes the hints on `window`'s native window; does nothing off X11 or
// before the native window exists. Qt writes its own hints when it maps
// the window, so this is called after that.
void askForFixedBorder(QWidget& window);

}  // namespace zpk
