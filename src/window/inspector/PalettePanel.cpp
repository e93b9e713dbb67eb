#include "window/inspector/PalettePanel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace zpk {

namespace {

constexpr int kColumns = 16;
constexpr int kMargin = 2;

// Black on light colours, white on dark ones.
QColor contrasting(Colour c)
{
    const unsigned light = redOf(c) * 299 + greenOf(c) * 587 + blueOf(c) * 114;
    return light > 128000 ? Qt::black : Qt::white;
}

}  // namespace

PalettePanel::PalettePanel(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("팔레트"));
    setAccessibleDescription(tr("값 0부터 255까지의 색. 화살표 키로 색을 하나씩 살펴봅니다."));
}

QSize PalettePanel::sizeHint() const
{
    return {kColumns * kSwatch + 2 * kMargin, kColumns * kSwatch + 2 * kMargin};
}

void PalettePanel::showPalette(const Palette& palette, const std::bitset<256>& used)
{
    m_palette = palette;
    m_used = used;
    update();
}

void PalettePanel::setHighlight(int value)
{
    if (value < -1 || value > 255) value = -1;
    if (value == m_highlight) return;
    m_highlight = value;
    update();
}

QRect PalettePanel::swatchRect(int value) const
{
    return {kMargin + (value % kColumns) * kSwatch, kMargin + (value / kColumns) * kSwatch, kSwatch, kSwatch};
}

int PalettePanel::valueAt(QPoint pos) const
{
    const int x = pos.x() - kMargin;
    const int y = pos.y() - kMargin;
    if (x < 0 || y < 0 || x >= kColumns * kSwatch || y >= kColumns * kSwatch) return -1;
    return (y / kSwatch) * kColumns + x / kSwatch;
}

void PalettePanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int value = 0; value < 256; ++value) {
        const Colour colour = m_palette[static_cast<std::size_t>(value) + 2];
        const QRect cell = swatchRect(value).adjusted(1, 1, -1, -1);
        painter.fillRect(cell, QColor(static_cast<int>(redOf(colour)), static_cast<int>(greenOf(colour)),
                                      static_cast<int>(blueOf(colour))));
        if (m_used[static_cast<std::size_t>(value)]) {
            // a dot in the corner: the image uses this value
            painter.fillRect(cell.left() + 2, cell.top() + 2, 4, 4, contrasting(colour));
        }
    }
    if (m_highlight >= 0) {
        const QRect cell = swatchRect(m_highlight);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawRect(cell.adjusted(1, 1, -1, -1));
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(cell.adjusted(2, 2, -3, -3));
    }
    if (hasFocus()) {
        // the swatch the keys are on, and the panel's own focus frame
        if (m_hovered >= 0) {
            painter.setPen(QPen(palette().highlight().color(), 1, Qt::DashLine));
            painter.drawRect(swatchRect(m_hovered).adjusted(0, 0, -1, -1));
        }
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        frame.rect = rect();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
    }
}

void PalettePanel::mouseMoveEvent(QMouseEvent* event) { hover(valueAt(event->position().toPoint())); }

void PalettePanel::hover(int value)
{
    if (value == m_hovered) return;
    m_hovered = value;
    setToolTip(value < 0 ? QString() : tr("값 %1, 팔레트 %2").arg(value).arg(value + 2));
    update();
    emit hoveredValue(value);
}

void PalettePanel::keyPressEvent(QKeyEvent* event)
{
    const int at = m_hovered >= 0 ? m_hovered : (m_highlight >= 0 ? m_highlight : 0);
    int next = -1;
    switch (event->key()) {
    case Qt::Key_Left: next = at % kColumns > 0 ? at - 1 : at; break;
    case Qt::Key_Right: next = at % kColumns < kColumns - 1 ? at + 1 : at; break;
    case Qt::Key_Up: next = at >= kColumns ? at - kColumns : at; break;
    case Qt::Key_Down: next = at + kColumns < 256 ? at + kColumns : at; break;
    case Qt::Key_Home: next = 0; break;
    case Qt::Key_End: next = 255; break;
    case Qt::Key_PageUp: next = at % kColumns; break;
    case Qt::Key_PageDown: next = 256 - kColumns + at % kColumns; break;
    default: QWidget::keyPressEvent(event); return;
    }
    // the first key shows where the walk starts
    hover(m_hovered < 0 ? at : next);
    event->accept();
}

void PalettePanel::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void PalettePanel::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void PalettePanel::leaveEvent(QEvent*)
{
    if (m_hovered < 0) return;
    m_hovered = -1;
    emit hoveredValue(-1);
}

}  // namespace zpk
