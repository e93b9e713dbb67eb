#include "window/CompanionWindow.h"

#include "window/ViewerContext.h"
#include "window/WindowKeys.h"
#include "window/WindowPlacement.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QShowEvent>

namespace zpk {

CompanionWindow::CompanionWindow(ViewerContext* window) : QWidget(window, Qt::Window), m_window(window)
{
    installOtherWindowKeys(*this, m_window);
    connect(m_window, &ViewerContext::fileLoaded, this, [this] {
        if (m_open) reload();
    });
}

void CompanionWindow::present()
{
    if (!m_placed) {
        placeBeside(*this, *m_window, Beside::Right);
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

void CompanionWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // shown again after a close (not restored from an icon): start afresh
    if (!m_open && !event->spontaneous()) {
        m_open = true;
        reload();
    }
}

void CompanionWindow::closeEvent(QCloseEvent* event)
{
    m_open = false;
    release();
    QWidget::closeEvent(event);
}

void CompanionWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace zpk
