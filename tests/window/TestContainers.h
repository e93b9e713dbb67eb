// Containers for the window tests, built in code and written to a folder.
#pragma once

#include "container/ContainerWriter.h"
#include "state/ViewerState.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace zpk::windowtest {

using Bytes = std::vector<std::uint8_t>;

inline Colour colourOf(Rgb c) { return makeColour(c.red, c.green, c.blue); }

// Every pixel of one value.
inline WriterImage solidImage(int width, int height, Rgb colour)
{
    return {width, height, {colour},
            Bytes(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0)};
}

// Pixel (x, y) takes value (x + 2y) mod the number of colours.
inline WriterImage stripedImage(int width, int height, std::vector<Rgb> colours)
{
    WriterImage image{width, height, std::move(colours), {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.push_back(static_cast<std::uint8_t>((x + 2 * y) % static_cast<int>(image.colours.size())));
    return image;
}

// The colour a drawn image shows at its pixel (x, y), counted from 0.
inline Colour colourAt(const WriterImage& image, int x, int y)
{
    const auto value = image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                                    static_cast<std::size_t>(x)];
    return colourOf(image.colours[value]);
}

inline Bytes containerBytes(const ContainerBuilder& builder)
{
    auto bytes = builder.build();
    if (!bytes) qFatal("test container does not build: %s", bytes.error().detail.c_str());
    return *bytes;
}

inline void writeBytes(const QString& path, const Bytes& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

}  // namespace zpk::windowtest
