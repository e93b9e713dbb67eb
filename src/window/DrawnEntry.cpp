#include "window/DrawnEntry.h"

#include "window/SystemPath.h"

#include "export/ExportNaming.h"

#include <QFile>

#include <cstring>
#include <optional>

namespace zpk {

QImage toQImage(const RgbaImage& image)
{
    if (image.width < 1 || image.height < 1) return {};
    QImage out(image.width, image.height, QImage::Format_RGBA8888);
    const auto rowBytes = static_cast<std::size_t>(image.width) * 4;
    for (int y = 0; y < image.height; ++y)
        std::memcpy(out.scanLine(y), image.rgba.data() + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    return out;
}

QImage DrawnEntry::toQImage() const
{
    if (image.clippedWidth < 1 || image.clippedHeight < 1) return {};
    // The palette form where it shows the same pixels: a quarter of the
    // memory of RGBA, which a 4000 x 4000 entry feels (16 MB, not 64).
    if (const std::optional<ImageRows> rows = ImageRows::smallestIndexed(image, palette, dropFirst)) {
        QImage out(rows->width(), rows->height(), QImage::Format_Indexed8);
        if (out.isNull()) return {};
        QList<QRgb> table;
        for (std::size_t i = 0; i < rows->colours().size(); ++i) {
            const Colour c = rows->colours()[i];
            const int alpha = i < rows->alpha().size() ? rows->alpha()[i] : 255;
            table.append(qRgba(static_cast<int>(redOf(c)), static_cast<int>(greenOf(c)),
                               static_cast<int>(blueOf(c)), alpha));
        }
        out.setColorTable(table);
        for (int y = 0; y < rows->height(); ++y) rows->row(y, out.scanLine(y));
        return out;
    }
    // row by row, never a second whole copy of the image
    const ImageRows rows = ImageRows::rgba(image, palette, dropFirst);
    QImage out(rows.width(), rows.height(), QImage::Format_RGBA8888);
    if (out.isNull()) return {};
    for (int y = 0; y < rows.height(); ++y) rows.row(y, out.scanLine(y));
    return out;
}

QImage sharedIndexedImage(const std::shared_ptr<const DrawnEntry>& entry)
{
    if (!entry) return {};
    const DecodedImage& image = entry->image;
    if (image.clippedWidth < 1 || image.clippedHeight < 1 || image.produced < image.pixelCount()) return {};
    QList<QRgb> table;
    for (std::size_t v = 0; v < 256; ++v) {
        const Colour c = entry->palette[v + 2];
        table.append(
            qRgb(static_cast<int>(redOf(c)), static_cast<int>(greenOf(c)), static_cast<int>(blueOf(c))));
    }
    if (entry->dropFirst == DropFirst::On) table[0] = qRgba(0, 0, 0, 0);
    // the pixels stay where the decoder put them; the image owns a reference
    // to the entry, dropped when the last copy of the image goes
    auto* keep = new std::shared_ptr<const DrawnEntry>(entry);
    QImage out(
        image.pixels.data(), image.clippedWidth, image.clippedHeight, image.clippedWidth,
        QImage::Format_Indexed8,
        [](void* kept) { delete static_cast<std::shared_ptr<const DrawnEntry>*>(kept); }, keep);
    if (out.isNull()) {
        delete keep;
        return {};
    }
    out.setColorTable(table);
    return out;
}

bool DrawnEntry::isDrawn(int x, int y) const
{
    if (x < 0 || y < 0 || x >= image.clippedWidth || y >= image.clippedHeight) return false;
    if (!image.isProduced(x, y)) return false;
    return dropFirst == DropFirst::Off || image.at(x, y) != 0;
}

QString DrawnEntry::defaultFileName() const
{
    return QFile::decodeName(defaultPngName(systemPath(filePath), image.row).c_str());
}

}  // namespace zpk
