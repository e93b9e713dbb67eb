#include "window/inspector/InspectorWindow.h"

#include "window/WindowKeys.h"
#include "window/inspector/ImageView.h"
#include "window/inspector/PalettePanel.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace zpk {

namespace {

QString hexColour(Colour c)
{
    return QStringLiteral("#%1%2%3")
        .arg(redOf(c), 2, 16, QLatin1Char('0'))
        .arg(greenOf(c), 2, 16, QLatin1Char('0'))
        .arg(blueOf(c), 2, 16, QLatin1Char('0'))
        .toUpper();
}

// "값 V, 팔레트 V+2, #RRGGBB (R r, G g, B b)": a pixel value and its colour.
QString valueText(int value, Colour c)
{
    return InspectorWindow::tr("값 %1, 팔레트 %2, %3 (R %4, G %5, B %6)")
        .arg(value)
        .arg(value + 2)
        .arg(hexColour(c))
        .arg(redOf(c))
        .arg(greenOf(c))
        .arg(blueOf(c));
}

}  // namespace

const QList<int>& InspectorWindow::zoomSteps()
{
    static const QList<int> steps = {0, 1, 2, 3, 4, 6, 8, 12, 16, 24, 32};
    return steps;
}

InspectorWindow::InspectorWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("inspector"));
    setWindowTitle(tr("자세히 보기"));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_view = new ImageView(this);
    m_view->setObjectName(QStringLiteral("inspectorImage"));
    m_palette = new PalettePanel(this);
    m_palette->setObjectName(QStringLiteral("inspectorPalette"));

    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("zoom"));
    for (const int step : zoomSteps()) m_zoom->addItem(step == 0 ? tr("맞춤") : tr("%1x").arg(step), step);
    m_zoom->setCurrentIndex(0);
    m_view->setFit(true);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("확대"), this));
    top->addWidget(m_zoom);
    top->addStretch(1);
    top->addWidget(m_summary);

    auto* side = new QVBoxLayout;
    side->addWidget(m_palette);
    side->addStretch(1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(m_view, 1);
    middle->addLayout(side);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addWidget(m_status);
    resize(760, 560);

    connect(m_zoom, &QComboBox::currentIndexChanged, this, [this](int index) {
        const int step = m_zoom->itemData(index).toInt();
        if (step == 0) m_view->setFit(true);
        else m_view->setZoom(step);
    });
    connect(m_view, &ImageView::hovered, this, &InspectorWindow::pointAt);
    connect(m_view, &ImageView::zoomStepRequested, this, &InspectorWindow::stepZoom);
    connect(m_palette, &PalettePanel::hoveredValue, this, &InspectorWindow::highlightValue);

    const auto shortcut = [this](const QKeySequence& keys, auto slot) {
        auto* s = new QShortcut(keys, this);
        s->setContext(Qt::WindowShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Copy, [this] { emit copyRequested(); });
    shortcut(QKeySequence::Save, [this] { emit saveRequested(); });
    shortcut(QKeySequence(Qt::Key_Plus), [this] { stepZoom(1); });
    shortcut(QKeySequence(Qt::Key_Equal), [this] { stepZoom(1); });
    shortcut(QKeySequence(Qt::Key_Minus), [this] { stepZoom(-1); });
    shortcut(QKeySequence(Qt::Key_0), [this] { setZoom(0); });
    installOtherWindowKeys(*this, parent);

    showEntry(nullptr);
}

void InspectorWindow::keyPressEvent(QKeyEvent* event)
{
    // Esc closes, from whichever part of the window has the focus
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void InspectorWindow::showEntry(std::shared_ptr<const DrawnEntry> entry)
{
    m_entry = std::move(entry);
    m_used.reset();
    if (!m_entry) {
        m_image = QImage();
        m_view->setImage(m_image);
        m_palette->showPalette(Palette{}, m_used);
        m_summary->setText(tr("그림 없음"));
        m_status->clear();
        setWindowTitle(tr("자세히 보기"));
        return;
    }
    const DecodedImage& image = m_entry->image;
    for (int y = 0; y < image.clippedHeight; ++y)
        for (int x = 0; x < image.clippedWidth; ++x)
            if (m_entry->isDrawn(x, y)) m_used.set(image.at(x, y));
    m_image = QImage();
    if (isVisible()) makeImage();
    m_palette->showPalette(m_entry->palette, m_used);
    m_palette->setHighlight(-1);

    QString summary = tr("%1 x %2, 픽셀 %3 / %4, 색 %5개")
                          .arg(image.imageWidth)
                          .arg(image.imageHeight)
                          .arg(image.produced)
                          .arg(image.pixelCount())
                          .arg(m_used.count());
    if (image.clippedWidth != image.imageWidth || image.clippedHeight != image.imageHeight)
        summary += tr(" (%1 x %2까지 보임)").arg(image.clippedWidth).arg(image.clippedHeight);
    m_summary->setText(summary);
    m_status->clear();
    setWindowTitle(
        tr("자세히 보기 - %1, 항목 %2").arg(QFileInfo(m_entry->filePath).fileName()).arg(image.row));
}

InspectorWindow::PixelInfo InspectorWindow::pixelInfo(QPoint point) const
{
    PixelInfo info;
    if (!m_entry) return info;
    const DecodedImage& image = m_entry->image;
    if (point.x() < 0 || point.y() < 0 || point.x() >= image.clippedWidth || point.y() >= image.clippedHeight)
        return info;
    info.inside = true;
    info.produced = image.isProduced(point.x(), point.y());
    if (!info.produced) return info;
    info.drawn = m_entry->isDrawn(point.x(), point.y());
    info.value = image.at(point.x(), point.y());
    info.paletteEntry = info.value + 2;
    info.colour = m_entry->palette[static_cast<std::size_t>(info.paletteEntry)];
    return info;
}

void InspectorWindow::pointAt(QPoint point)
{
    const PixelInfo info = pixelInfo(point);
    if (!info.inside) {
        m_status->clear();
        m_palette->setHighlight(-1);
        return;
    }
    QString text = tr("x %1, y %2: ").arg(point.x()).arg(point.y());
    if (!info.produced) {
        text += tr("그려지지 않음 (픽셀 자료 없음)");
        m_palette->setHighlight(-1);
    } else {
        text += valueText(info.value, info.colour);
        if (!info.drawn) text += tr(", 그리지 않음 (첫번째 버리기)");
        m_palette->setHighlight(info.value);
    }
    m_status->setText(text);
}

void InspectorWindow::highlightValue(int value)
{
    m_palette->setHighlight(value);
    m_view->setImage(value < 0 ? m_image : highlighted(value));
    if (value >= 0 && m_entry) {
        const Colour c = m_entry->palette[static_cast<std::size_t>(value) + 2];
        m_status->setText(valueText(value, c) +
                          (m_used[static_cast<std::size_t>(value)] ? QString() : tr(", 쓰이지 않음")));
    }
}

void InspectorWindow::makeImage()
{
    // the decoded pixels themselves where they show the picture as it is
    // exported; a copy only where some pixel was never produced
    if (m_entry && m_image.isNull()) m_image = sharedIndexedImage(m_entry);
    if (m_entry && m_image.isNull()) m_image = m_entry->toQImage();
    m_view->setImage(m_image);
}

void InspectorWindow::showEvent(QShowEvent* event)
{
    makeImage();
    QWidget::showEvent(event);
}

void InspectorWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // closed: the entry goes too (the canvas menu shows the drawn one when
    // it opens the window again); minimised: it stays, for the restore
    if (!event->spontaneous()) {
        showEntry(nullptr);
        return;
    }
    m_image = QImage();
    m_view->setImage(m_image);
}

QImage InspectorWindow::highlighted(int value) const
{
    // the pixels of `value` as they are, every other drawn pixel faded
    // towards the checkerboard
    if (!m_entry || m_image.isNull()) return m_image;
    if (m_image.format() == QImage::Format_Indexed8) {
        // one index a value: fading is a change of the colour table
        QList<QRgb> table = m_image.colorTable();
        for (qsizetype i = 0; i < table.size(); ++i)
            if (i != value)
                table[i] = qRgba(qRed(table[i]), qGreen(table[i]), qBlue(table[i]), qAlpha(table[i]) / 5);
        QImage out = m_image;
        out.setColorTable(table);
        return out;
    }
    QImage out = m_image.convertToFormat(QImage::Format_RGBA8888);
    const DecodedImage& image = m_entry->image;
    for (int y = 0; y < out.height(); ++y) {
        uchar* line = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x) {
            if (!m_entry->isDrawn(x, y) || image.at(x, y) == value) continue;
            line[4 * x + 3] = static_cast<uchar>(line[4 * x + 3] / 5);
        }
    }
    return out;
}

void InspectorWindow::setZoom(int zoom)
{
    const int index = static_cast<int>(zoomSteps().indexOf(zoom));
    if (index >= 0) m_zoom->setCurrentIndex(index);
}

int InspectorWindow::zoom() const { return m_zoom->currentData().toInt(); }

void InspectorWindow::stepZoom(int step)
{
    const QList<int>& steps = zoomSteps();  // steps[0] is "fit"
    int index = m_zoom->currentIndex() + step;
    if (zoom() == 0) {
        // from "fit", go to the neighbouring step of the scale fit chose
        const double current = m_view->scale();
        int below = 1;  // the largest step not above the current scale
        while (below + 1 < steps.size() && steps[below + 1] <= current) ++below;
        if (current < steps[1]) index = 1;
        else if (step > 0) index = below + 1;
        else index = steps[below] < current ? below : below - 1;
    }
    m_zoom->setCurrentIndex(std::clamp(index, 1, static_cast<int>(steps.size()) - 1));
}

QString InspectorWindow::statusText() const { return m_status->text(); }
QString InspectorWindow::summaryText() const { return m_summary->text(); }

}  // namespace zpk
