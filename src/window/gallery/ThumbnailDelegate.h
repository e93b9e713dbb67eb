// How a gallery cell is painted: the thumbnail centred in a square of the
// gallery's size over a checkerboard (transparent pixels show it), never
// smoothed: a 1x thumbnail is enlarged by the largest whole factor that
// fits, pixel by pixel; a thumbnail made for another size (shown until
// the right one comes) is fitted by nearest neighbour. Rows without a
// picture say why in its place. Below it the caption, two lines: the row
// and its width x height. The row the main window drew last has a frame.
#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace zpk {

class ThumbnailDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Space around the square and between it and the caption.
    static constexpr int kPadding = 6;

    explicit ThumbnailDelegate(QObject* parent = nullptr);

    void setSide(int side) { m_side = side; }
    int side() const { return m_side; }
    // The cell of a square of `side` pixels, with room for the caption in
    // the font `metrics` measure.
    static QSize cellSize(int side, const QFontMetrics& metrics);
    // Where the thumbnail of `image` goes in the square `box` (see above).
    static QRect imageRect(const QRect& box, QSize image, bool fullSize);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    // A caption line laid out once for `font`, elided to `width`: cells are
    // painted again and again as thumbnails come, their captions stay.
    const QStaticText& captionLine(const QString& line, const QFont& font, int width) const;

    int m_side = 128;
    mutable QHash<QString, QStaticText> m_captions;
    mutable QFont m_captionFont;  // the font (bold or not aside) of the lines kept
};

}  // namespace zpk
