// Small value types shared by every module: rectangles and decoded pictures.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

struct Rect {
  int32_t left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect &) const = default;
  bool Empty() const { return width <= 0 || height <= 0; }
};

// A decoded picture: premultiplied ARGB, one uint32 per pixel (0xAARRGGBB), rows top to bottom.
// This is the layout the window paints from without conversion.
struct Picture {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
};
using PictureRef = std::shared_ptr<const Picture>;
