#include "window/DrawnEntry.h"

#include "export/ExportNaming.h"

#include <QFile>

#include <cstring>

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

QImage DrawnEntry::toQImage() const { return zpk::toQImage(rgba()); }

bool DrawnEntry::isDrawn(int x, int y) const
{
    if (x < 0 || y < 0 || x >= image.clippedWidth || y >= image.clippedHeight) return false;
    if (!image.isProduced(x, y)) return false;
    return dropFirst == DropFirst::Off || image.at(x, y) != 0;
}

QString DrawnEntry::defaultFileName() const
{
    return QFile::decodeName(defaultPngName(QFile::encodeName(filePath).toStdString(), image.row).c_str());
}

}  // namespace zpk
