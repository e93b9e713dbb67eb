#include "window/inspector/ImageView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace zpk {

namespace {

constexpr int kCheckerCell = 8;
const QColor kCheckerLight(0xFF, 0xFF, 0xFF);
const QColor kCheckerDark(0xCC, 0xCC, 0xCC);
const QColor kOutside(0x80, 0x80, 0x80);

}  // namespace

ImageView::ImageView(QWidget* parent) : QAbstractScrollArea(parent)
{
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);
}

void ImageView::setImage(const QImage& image)
{
    m_image = image;
    updateScrollBars();
    viewport()->update();
}

void ImageView::setZoom(int zoom)
{
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    m_fit = false;
    updateScrollBars();
    viewport()->update();
}

void ImageView::setFit(bool fit)
{
    m_fit = fit;
    updateScrollBars();
    viewport()->update();
}

double ImageView::scale() const
{
    if (!m_fit) return m_zoom;
    if (m_image.isNull()) return 1;
    const double across = static_cast<double>(viewport()->width()) / m_image.width();
    const double down = static_cast<double>(viewport()->height()) / m_image.height();
    const double fits = std::min(across, down);
    // whole steps while the image fits at 1x, so that pixels stay square
    if (fits >= 1) return std::clamp(std::floor(fits), 1.0, static_cast<double>(kMaxZoom));
    return std::max(fits, 1.0 / 4096);
}

QSizeF ImageView::scaledSize() const { return QSizeF(m_image.size()) * scale(); }

QPointF ImageView::origin() const
{
    // centred while smaller than the view, else scrolled
    const QSizeF size = scaledSize();
    const double x = size.width() < viewport()->width() ? (viewport()->width() - size.width()) / 2
                                                        : -horizontalScrollBar()->value();
    const double y = size.height() < viewport()->height() ? (viewport()->height() - size.height()) / 2
                                                          : -verticalScrollBar()->value();
    return {std::floor(x), std::floor(y)};
}

QPoint ImageView::imagePointAt(QPoint pos) const
{
    if (m_image.isNull()) return {-1, -1};
    const QPointF at = (QPointF(pos) - origin()) / scale();
    const int x = static_cast<int>(std::floor(at.x()));
    const int y = static_cast<int>(std::floor(at.y()));
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height()) return {-1, -1};
    return {x, y};
}

QPoint ImageView::viewportPointOf(QPoint point) const
{
    const QPointF at = origin() + (QPointF(point) + QPointF(0.5, 0.5)) * scale();
    return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
}

void ImageView::updateScrollBars()
{
    const QSizeF size = scaledSize();
    const QSize view = viewport()->size();
    const auto range = [](double content, int page) {
        return static_cast<int>(std::min(std::ceil(std::max(0.0, content - page)), 2.0e9));
    };
    horizontalScrollBar()->setRange(0, range(size.width(), view.width()));
    verticalScrollBar()->setRange(0, range(size.height(), view.height()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setPageStep(view.height());
}

void ImageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kOutside);
    if (m_image.isNull()) return;

    const double s = scale();
    const QPointF corner = origin();
    const QRectF imageArea(corner, scaledSize());
    const QRect visible = imageArea.toAlignedRect().intersected(event->rect());
    if (visible.isEmpty()) return;

    // the checkerboard, fixed to the image's corner so that it scrolls along
    painter.save();
    painter.setClipRect(visible);
    painter.fillRect(visible, kCheckerLight);
    const int cornerX = static_cast<int>(corner.x());
    const int cornerY = static_cast<int>(corner.y());
    const int firstColumn = (visible.left() - cornerX) / kCheckerCell;
    const int firstRow = (visible.top() - cornerY) / kCheckerCell;
    for (int row = firstRow; cornerY + row * kCheckerCell <= visible.bottom(); ++row) {
        for (int column = firstColumn; cornerX + column * kCheckerCell <= visible.right(); ++column) {
            if ((row + column) % 2 == 0) continue;
            painter.fillRect(cornerX + column * kCheckerCell, cornerY + row * kCheckerCell, kCheckerCell,
                             kCheckerCell, kCheckerDark);
        }
    }
    painter.restore();

    // only the image pixels that show, each scaled to whole screen pixels
    // without smoothing
    const int left = std::max(0, static_cast<int>(std::floor((visible.left() - corner.x()) / s)));
    const int top = std::max(0, static_cast<int>(std::floor((visible.top() - corner.y()) / s)));
    const int right =
        std::min(m_image.width(), static_cast<int>(std::ceil((visible.right() + 1 - corner.x()) / s)));
    const int bottom =
        std::min(m_image.height(), static_cast<int>(std::ceil((visible.bottom() + 1 - corner.y()) / s)));
    if (right <= left || bottom <= top) return;
    const QRect source(left, top, right - left, bottom - top);
    const QRectF target(corner.x() + left * s, corner.y() + top * s, source.width() * s, source.height() * s);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, m_image, source);
}

void ImageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ImageView::scrollContentsBy(int, int) { viewport()->update(); }

void ImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        m_panning = true;
        m_panFrom = event->position().toPoint();
        viewport()->setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void ImageView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_panning) {
        const QPoint moved = pos - m_panFrom;
        m_panFrom = pos;
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - moved.x());
        verticalScrollBar()->setValue(verticalScrollBar()->value() - moved.y());
    }
    reportHover(pos);
}

void ImageView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_panning) {
        m_panning = false;
        viewport()->unsetCursor();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void ImageView::leaveEvent(QEvent* event)
{
    reportHover({-1000000, -1000000});
    QAbstractScrollArea::leaveEvent(event);
}

void ImageView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int delta = event->angleDelta().y();
        if (delta != 0) emit zoomStepRequested(delta > 0 ? 1 : -1);
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void ImageView::reportHover(QPoint pos)
{
    const QPoint point = imagePointAt(pos);
    if (point == m_hovered) return;
    m_hovered = point;
    emit hovered(point);
}

}  // namespace zpk
