// Picture1: the canvas. It owns the surface that every render draws on and
// paints that surface on screen, so the image survives being covered and
// uncovered; it is changed only by a render (clear, then points).
#pragma once

#include "draw/Surface.h"

#include <QWidget>

namespace zpk {

class PictureCanvas : public QWidget {
    Q_OBJECT

public:
    explicit PictureCanvas(QWidget* parent = nullptr);

    Surface& surface() { return m_surface; }
    const Surface& surface() const { return m_surface; }

    QSize sizeHint() const override;

signals:
    // Its first paint is done: the window is on screen, its first image
    // with it when a file was loaded by then.
    void firstPainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    // A focus frame over the image's edge while the canvas has the focus.
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    Surface m_surface;
    bool m_painted = false;
};

}  // namespace zpk
