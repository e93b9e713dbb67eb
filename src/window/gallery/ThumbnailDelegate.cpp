#include "window/gallery/ThumbnailDelegate.h"

#include "window/gallery/Thumbnail.h"
#include "window/gallery/ThumbnailModel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace zpk {

namespace {

// The inspector's checkerboard: 8-pixel cells, white and light grey.
constexpr int kCheckerCell = 8;
const QColor kCheckerLight(0xFF, 0xFF, 0xFF);
const QColor kCheckerDark(0xCC, 0xCC, 0xCC);

// The checkerboard behind the largest thumbnail, drawn once; a smaller one
// shows its top left corner.
const QImage& checkerboard()
{
    static const QImage board = [] {
        QImage image(kMaxThumbnailSide, kMaxThumbnailSide, QImage::Format_RGB32);
        image.fill(kCheckerLight);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((x / kCheckerCell + y / kCheckerCell) % 2 == 1) image.setPixelColor(x, y, kCheckerDark);
        return image;
    }();
    return board;
}

// The caption's widest line as it usually reads ("4000 x 4000").
QString widestCaptionLine() { return QStringLiteral("0000 x 0000"); }

}  // namespace

ThumbnailDelegate::ThumbnailDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QSize ThumbnailDelegate::cellSize(int side, const QFontMetrics& metrics)
{
    const int width = std::max(side, metrics.horizontalAdvance(widestCaptionLine())) + 2 * kPadding;
    const int height = side + 2 * kPadding + 2 * metrics.height() + kPadding / 2;
    return {width, height};
}

QRect ThumbnailDelegate::imageRect(const QRect& box, QSize image, bool fullSize)
{
    if (image.isEmpty() || box.isEmpty()) return {};
    QSize shown;
    if (fullSize && image.width() <= box.width() && image.height() <= box.height()) {
        const int factor = std::max(1, std::min(box.width() / image.width(), box.height() / image.height()));
        shown = image * factor;
    } else {
        const double scale = std::min(static_cast<double>(box.width()) / image.width(),
                                      static_cast<double>(box.height()) / image.height());
        shown = QSize(std::max(1, static_cast<int>(std::lround(image.width() * scale))),
                      std::max(1, static_cast<int>(std::lround(image.height() * scale))));
    }
    return {box.x() + (box.width() - shown.width()) / 2, box.y() + (box.height() - shown.height()) / 2,
            shown.width(), shown.height()};
}

const QStaticText& ThumbnailDelegate::captionLine(const QString& line, const QFont& font, int width) const
{
    QFont regular = font;
    regular.setBold(false);
    // a new font lays every line out anew; a few thousand lines are plenty
    // for every caption of a file at a few widths
    if (regular != m_captionFont || m_captions.size() > 4096) {
        m_captions.clear();
        m_captionFont = regular;
    }
    const QString key = QStringLiteral("%1 %2 ").arg(font.bold() ? 1 : 0).arg(width) + line;
    auto found = m_captions.find(key);
    if (found == m_captions.end()) {
        QStaticText text(QFontMetrics(font).elidedText(line, Qt::ElideRight, width));
        text.setTextFormat(Qt::PlainText);
        text.setPerformanceHint(QStaticText::AggressiveCaching);
        text.prepare(QTransform(), font);
        found = m_captions.insert(key, text);
    }
    return *found;
}

QSize ThumbnailDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return cellSize(m_side, option.fontMetrics);
}

void ThumbnailDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const QWidget* widget = option.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    // the caption as the model gives it: two lines
    const QString caption = index.data(Qt::DisplayRole).toString();
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                            : QPalette::Inactive;

    painter->save();
    // the whole cell shows the selection (styles mark only the text of an
    // icon's item)
    if (selected) painter->fillRect(option.rect, opt.palette.brush(group, QPalette::Highlight));
    else if (opt.state & QStyle::State_MouseOver)
        painter->fillRect(option.rect, opt.palette.brush(group, QPalette::AlternateBase));

    const QRect cell = option.rect;
    const QRect box(cell.x() + (cell.width() - m_side) / 2, cell.y() + kPadding, m_side, m_side);
    const QImage image = index.data(ThumbnailModel::ImageRole).value<QImage>();
    if (!image.isNull()) {
        const QRect target = imageRect(box, image.size(), index.data(ThumbnailModel::FullSizeRole).toBool());
        // transparent pixels show the checkerboard; an opaque thumbnail
        // (Format_RGB32) covers it wholly
        if (image.hasAlphaChannel())
            painter->drawImage(target.topLeft(), checkerboard(), QRect(QPoint(0, 0), target.size()));
        painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter->drawImage(target, image);
    } else if (const QString status = index.data(ThumbnailModel::StatusTextRole).toString();
               !status.isEmpty()) {
        QPen frame(opt.palette.color(QPalette::Mid));
        frame.setStyle(Qt::DashLine);
        painter->setPen(frame);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        painter->setPen(opt.palette.color(QPalette::PlaceholderText));
        painter->drawText(box.adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap, status);
    }

    const bool drawn = index.data(ThumbnailModel::DrawnRole).toBool();
    QFont font = opt.font;
    font.setBold(drawn);
    painter->setFont(font);
    painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const int lineHeight = QFontMetrics(font).height();
    const int left = cell.x() + 2;
    const int width = cell.width() - 4;
    int top = box.bottom() + 1 + kPadding / 2;
    for (const QString& line : caption.split(QLatin1Char('\n'))) {
        const QStaticText& laidOut = captionLine(line, font, width);
        painter->drawStaticText(QPointF(left + (width - laidOut.size().width()) / 2, top), laidOut);
        top += lineHeight;
    }

    if (drawn) {
        // the row the main window shows: a frame in the selection colour,
        // seen whether or not the row is also selected here
        QPen pen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Highlight));
        pen.setWidth(2);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(cell.adjusted(1, 1, -1, -1));
    }
    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.rect = cell.adjusted(3, 3, -3, -3);
        focus.backgroundColor = opt.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

}  // namespace zpk
