// The window tests' side of the image builder: containers built and written
// to a folder, stopping the test on a refusal, and the colours a drawn image
// shows.
#pragma once

#include "support/ImageBuilder.h"

#include "container/ContainerWriter.h"
#include "state/ViewerState.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <vector>

namespace zpk::windowtest {

using namespace zpk::testing;

inline Colour colourOf(Rgb c) { return makeColour(c.red, c.green, c.blue); }

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
