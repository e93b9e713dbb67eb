#include "window/gallery/GalleryView.h"

#include <QPainter>

#include <algorithm>

namespace zpk {

void GalleryView::setDropMark(int gap, bool behindRowBefore)
{
    if (gap == m_dropMark && behindRowBefore == m_behindRowBefore) return;
    m_dropMark = gap;
    m_behindRowBefore = behindRowBefore && gap > 0;
    viewport()->update();
}

void GalleryView::paintEvent(QPaintEvent* event)
{
    QListView::paintEvent(event);
    const int count = model() != nullptr ? model()->rowCount() : 0;
    if (m_dropMark < 0 || count == 0) return;
    // a bar at the left edge of the row the drop goes in front of, or at
    // the right edge of the last row
    const bool behind = m_dropMark >= count || m_behindRowBefore;
    const QRect cell = visualRect(model()->index(behind ? std::min(m_dropMark, count) - 1 : m_dropMark, 0));
    const int x = behind ? cell.right() : cell.left();
    QPainter painter(viewport());
    painter.fillRect(QRect(x - 1, cell.top(), 3, cell.height()), palette().color(QPalette::Highlight));
}

}  // namespace zpk
