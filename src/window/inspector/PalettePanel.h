// The inspector's palette: entries 2 to 257 (the colours of pixel values 0
// to 255) as a 16 x 16 grid of swatches, value 0 at the top left. Values
// the image uses carry a mark; one value can be highlighted, by the image
// (the pixel under the cursor) or by hovering its swatch.
#pragma once

#include "state/ViewerState.h"

#include <QWidget>

#include <bitset>

namespace zpk {

class PalettePanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSwatch = 16;  // pixels a side, gap included

    explicit PalettePanel(QWidget* parent = nullptr);

    void showPalette(const Palette& palette, const std::bitset<256>& used);
    const std::bitset<256>& usedValues() const { return m_used; }

    // -1 for none.
    void setHighlight(int value);
    int highlight() const { return m_highlight; }

    // The value whose swatch lies at `pos`, or -1.
    int valueAt(QPoint pos) const;
    QRect swatchRect(int value) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The swatch under the cursor, or the one the keys walked to; -1 for none.
    int hovered() const { return m_hovered; }

signals:
    // The swatch under the cursor changed; -1 when it left the grid.
    void hoveredValue(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // The arrow keys, Home, End, Page Up and Page Down walk the swatches as
    // the mouse does; the value walked to is reported as hovered.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void hover(int value);

    Palette m_palette{};
    std::bitset<256> m_used;
    int m_highlight = -1;
    int m_hovered = -1;
};

}  // namespace zpk
