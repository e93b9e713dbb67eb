#include "window/dialogs/ReplaceDialog.h"

#include "window/SystemPath.h"

#include "window/Messages.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <vector>

namespace zpk {

namespace {

// The side of the box each picture is shown in.
constexpr int kPreviewSide = 256;

// `image` fitted into the preview box, never smoothed: a small picture is
// enlarged by a whole factor, a large one reduced.
QPixmap previewPixmap(const QImage& image)
{
    if (image.isNull()) return {};
    const int side = std::max(image.width(), image.height());
    if (side <= kPreviewSide) {
        const int factor = std::max(1, kPreviewSide / side);
        return QPixmap::fromImage(
            image.scaled(image.size() * factor, Qt::KeepAspectRatio, Qt::FastTransformation));
    }
    return QPixmap::fromImage(
        image.scaled(QSize(kPreviewSide, kPreviewSide), Qt::KeepAspectRatio, Qt::FastTransformation));
}

QLabel* pictureLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumSize(kPreviewSide, kPreviewSide);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// How many different values `pixels` hold.
std::int64_t valuesUsed(const std::vector<std::uint8_t>& pixels)
{
    std::array<bool, 256> seen{};
    for (const std::uint8_t v : pixels) seen[v] = true;
    return std::count(seen.begin(), seen.end(), true);
}

}  // namespace

QString ReplaceDialog::sizeText(int width, int height, std::int64_t colours)
{
    return tr("%1 x %2, 색 %3개").arg(width).arg(height).arg(colours);
}

QImage ReplaceDialog::toQImage(const WriterImage& image, bool transparentIndex0)
{
    if (image.width < 1 || image.height < 1) return {};
    QImage out(image.width, image.height, QImage::Format_Indexed8);
    if (out.isNull()) return {};
    QList<QRgb> table;
    for (const Rgb& c : image.colours) table.append(qRgb(c.red, c.green, c.blue));
    if (table.isEmpty()) table.append(qRgb(0, 0, 0));
    if (transparentIndex0) table[0] = qRgba(0, 0, 0, 0);
    out.setColorTable(table);
    const auto width = static_cast<std::size_t>(image.width);
    for (int y = 0; y < image.height; ++y)
        std::copy_n(image.pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * width),
                    width, out.scanLine(y));
    return out;
}

ReplaceDialog::ReplaceDialog(const ReplacePreview& preview, QWidget* parent)
    : QDialog(parent),
      m_preview(preview),
      m_picture(readPackImage(systemPath(preview.picturePath), preview.options))
{
    setObjectName(QStringLiteral("replaceDialog"));
    setWindowTitle(tr("항목 바꾸기"));

    const int row = m_preview.drawn ? m_preview.drawn->image.row : 0;
    auto* intro = new QLabel(tr("%1 의 %2번 항목을 이 그림으로 바꿀까요?")
                                 .arg(QFileInfo(m_preview.containerPath).fileName())
                                 .arg(row),
                             this);
    intro->setTextFormat(Qt::PlainText);

    auto* grid = new QGridLayout;
    auto* oldTitle = new QLabel(tr("지금 항목"), this);
    auto* newTitle = new QLabel(tr("새 그림: %1").arg(QFileInfo(m_preview.picturePath).fileName()), this);
    for (QLabel* title : {oldTitle, newTitle}) {
        title->setTextFormat(Qt::PlainText);
        title->setAlignment(Qt::AlignCenter);
    }
    QLabel* oldImage = pictureLabel(this, "currentPicture");
    m_newImage = pictureLabel(this, "newPicture");
    auto* oldSize = new QLabel(this);
    oldSize->setObjectName(QStringLiteral("currentSize"));
    m_newSize = new QLabel(this);
    m_newSize->setObjectName(QStringLiteral("newSize"));
    for (QLabel* size : {oldSize, m_newSize}) size->setAlignment(Qt::AlignCenter);
    if (m_preview.drawn) {
        const DecodedImage& image = m_preview.drawn->image;
        oldImage->setPixmap(previewPixmap(m_preview.drawn->toQImage()));
        // the values of the pixels the stream produced
        std::vector<std::uint8_t> produced;
        for (int y = 0; y < image.clippedHeight; ++y)
            for (int x = 0; x < image.clippedWidth; ++x)
                if (image.isProduced(x, y)) produced.push_back(image.at(x, y));
        oldSize->setText(sizeText(image.imageWidth, image.imageHeight, valuesUsed(produced)));
    }
    grid->addWidget(oldTitle, 0, 0);
    grid->addWidget(newTitle, 0, 1);
    grid->addWidget(oldImage, 1, 0);
    grid->addWidget(m_newImage, 1, 1);
    grid->addWidget(oldSize, 2, 0);
    grid->addWidget(m_newSize, 2, 1);

    m_transparentIndex0 = new QCheckBox(tr("투명한 픽셀은 값 0으로"), this);
    m_transparentIndex0->setObjectName(QStringLiteral("transparentIndex0"));
    m_transparentIndex0->setChecked(m_preview.options.transparentIndex0);
    connect(m_transparentIndex0, &QCheckBox::toggled, this, [this] {
        m_picture = readPackImage(systemPath(m_preview.picturePath), options());
        showPicture();
    });

    auto* buttons = new QDialogButtonBox(this);
    m_replaceButton = buttons->addButton(tr("바꾸기"), QDialogButtonBox::AcceptRole);
    m_replaceButton->setObjectName(QStringLiteral("replaceInPlace"));
    m_saveAsButton = buttons->addButton(tr("다른 이름으로 저장…"), QDialogButtonBox::AcceptRole);
    m_saveAsButton->setObjectName(QStringLiteral("saveAs"));
    QPushButton* cancel = buttons->addButton(tr("취소"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setDefault(true);
    connect(m_replaceButton, &QPushButton::clicked, this, [this] { choose(ReplaceChoice::ReplaceInPlace); });
    connect(m_saveAsButton, &QPushButton::clicked, this, [this] { choose(ReplaceChoice::SaveAs); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(grid);
    layout->addWidget(m_transparentIndex0);
    layout->addWidget(buttons);
    showPicture();
}

PackOptions ReplaceDialog::options() const
{
    PackOptions options = m_preview.options;
    options.transparentIndex0 = m_transparentIndex0->isChecked();
    return options;
}

void ReplaceDialog::showPicture()
{
    const bool readable = m_picture.has_value();
    if (readable) {
        const WriterImage& image = *m_picture;
        m_newImage->setPixmap(previewPixmap(toQImage(image, options().transparentIndex0)));
        m_newSize->setText(
            sizeText(image.width, image.height, static_cast<std::int64_t>(image.colours.size())));
    } else {
        m_newImage->setPixmap(QPixmap());
        m_newImage->setText(
            tr("이 그림으로는 바꿀 수 없습니다.\n%1").arg(Messages::reason(m_picture.error())));
        m_newSize->clear();
    }
    m_replaceButton->setEnabled(readable);
    m_saveAsButton->setEnabled(readable);
}

void ReplaceDialog::choose(ReplaceChoice choice)
{
    m_choice = choice;
    accept();
}

}  // namespace zpk
