// The sample images of `zpk demo`: procedurally drawn, the same bytes on
// every run and every machine (only +, -, *, /, sqrt and floor are used,
// which IEEE arithmetic defines exactly).
#pragma once

#include "container/ContainerWriter.h"
#include "draw/Surface.h"
#include "state/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zpk::demo {

// Images fit the canvas with its one-pixel margin on each side.
constexpr int kMaxDemoWidth = kCanvasWidth - 2;
constexpr int kMaxDemoHeight = kCanvasHeight - 2;

struct DemoImage {
    std::string name;
    WriterImage image;
};

// The images in container order. Their colours never hold the bytes
// 0xFF 0xFE, which would end a palette early.
std::vector<DemoImage> demoImages();

// A container holding `images` in order.
Result<std::vector<std::uint8_t>> buildContainer(const std::vector<DemoImage>& images);

}  // namespace zpk::demo
