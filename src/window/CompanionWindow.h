// A window of its own beside the main window that follows it while shown
// (the player, the comparison): placed beside it the first time it is
// shown, started afresh each time it is opened (reload()), and stopped,
// its work and its copies let go, when it is closed (release()). Escape
// and Ctrl+W close it; Ctrl+Q ends the program from it too.
#pragma once

#include <QWidget>

namespace zpk {

class ViewerContext;

class CompanionWindow : public QWidget {
    Q_OBJECT

public:
    // Shows the window (beside the main window the first time), raises and
    // activates it.
    void present();
    // Shown, and following the main window.
    bool isOpen() const { return m_open; }

protected:
    explicit CompanionWindow(ViewerContext* window);

    // Takes up the main window's file and options afresh.
    virtual void reload() = 0;
    // Stops the work under way and lets go of everything the window holds.
    virtual void release() = 0;

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

    ViewerContext* m_window;

private:
    bool m_open = false;
    bool m_placed = false;
};

}  // namespace zpk
