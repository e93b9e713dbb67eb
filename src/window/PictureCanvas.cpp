#include "window/PictureCanvas.h"

#include <QColor>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace zpk {

PictureCanvas::PictureCanvas(QWidget* parent)
    : QWidget(parent), m_surface(kCanvasWidth, kCanvasHeight, kWhite)
{
    // The surface covers the whole widget with opaque pixels: nothing of the
    // parent needs to be painted underneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

QSize PictureCanvas::sizeHint() const { return {m_surface.width(), m_surface.height()}; }

void PictureCanvas::paintEvent(QPaintEvent* event)
{
    // Surface pixels are 0xFFRRGGBB words: Format_RGB32 reads them in place,
    // and onto a window surface of Format_RGB32 or of premultiplied ARGB32
    // (every pixel opaque) Qt copies them row by row, converting nothing.
    const QImage image(reinterpret_cast<const uchar*>(m_surface.data()), m_surface.width(),
                       m_surface.height(), static_cast<qsizetype>(m_surface.width()) * 4,
                       QImage::Format_RGB32);
    QPainter painter(this);
    // only the rectangles asked for, not their bounding rectangle: a window
    // moved off two corners of the canvas asks for two small pieces
    const QRegion& asked = event->region();
    for (const QRect& area : asked) painter.drawImage(area, image, area);
    // The widget can be larger than the surface only if someone resizes it;
    // the part outside shows the background.
    if (!image.rect().contains(asked.boundingRect())) {
        const QColor background = QColor::fromRgb(toArgb(m_surface.background()));
        for (const QRect& r : asked - QRegion(image.rect())) painter.fillRect(r, background);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        frame.rect = rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
    }
    if (!m_painted) {
        m_painted = true;
        emit firstPainted();
    }
}

void PictureCanvas::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void PictureCanvas::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace zpk
