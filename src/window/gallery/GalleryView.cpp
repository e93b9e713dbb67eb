#include "window/gallery/GalleryView.h"

#include <QPainter>

namespace zpk {

void GalleryView::setDropMark(int gap)
{
    if (gap == m_dropMark) return;
    m_dropMark = gap;
    viewport()->update();
}

void GalleryView::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    const int count = model() != nullptr ? model()->rowCount() : 0;
    if (m_dropMark < 0 || count == 0) return;
    // a bar at the left edge of the row the drop goes in front of, or at
    // the right edge of the last row
    const bool behindLast = m_dropMark >= count;
    const QRect cell = visualRect(model()->index(behindLast ? count - 1 : m_dropMark, 0));
    const int x = behindLast ? cell.right() : cell.left();
    QPainter painter(viewport());
    painter.fillRect(QRect(x - 1, cell.top(), 3, cell.height()), palette().color(QPalette::Highlight));
}

}  // namespace zpk
