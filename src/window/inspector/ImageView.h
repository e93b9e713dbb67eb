// The inspector's picture: an image at an integer zoom (1x to 32x) or
// fitted to the view, never smoothed, over a checkerboard where it is
// transparent. It scrolls with the scroll bars, the arrow keys and the
// wheel, pans when dragged, and reports the image pixel under the cursor.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPoint>

namespace zpk {

class ImageView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 32;

    explicit ImageView(QWidget* parent = nullptr);

    // The picture shown (any format; drawn as it is, transparency included).
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }

    // An integer zoom from 1 to 32 (others are brought into that range);
    // leaves "fit".
    void setZoom(int zoom);
    // Fit: the largest integer zoom at which the whole image shows, or a
    // smaller scale for an image larger than the view.
    void setFit(bool fit);
    // Screen pixels per image pixel.
    double scale() const;

    // The image pixel under viewport position `pos`, or (-1, -1) off the image.
    QPoint imagePointAt(QPoint pos) const;
    // The viewport position of the centre of image pixel `point`.
    QPoint viewportPointOf(QPoint point) const;

signals:
    // The image pixel under the cursor changed; (-1, -1) when it left the image.
    void hovered(QPoint point);
    // Ctrl + wheel: one zoom step in (+1) or out (-1).
    void zoomStepRequested(int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Where the image's top left corner lies in the viewport.
    QPointF origin() const;
    QSizeF scaledSize() const;
    void updateScrollBars();
    void reportHover(QPoint pos);

    QImage m_image;
    int m_zoom = 1;
    bool m_fit = false;
    QPoint m_hovered{-1, -1};
    bool m_panning = false;
    QPoint m_panFrom;
};

}  // namespace zpk
