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
// scale is the number of pixels per skin pixel in each direction: 1 for an ordinary picture, 2 or 3
// for a high-resolution variant that stands for a picture of width / scale x height / scale.
struct Picture {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
  int32_t scale = 1;
  int32_t SkinWidth() const { return width / scale; }
  int32_t SkinHeight() const { return height / scale; }
};
using PictureRef = std::shared_ptr<const Picture>;
