// Small value types shared by every module: rectangles and decoded pictures.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

struct Rect {
  int32_t left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect &) const = default;
  bool Empty() const { return width <= 0 || height <= 0; }
};

// Memory for picture pixels. A large buffer is taken in huge pages where the system allows it:
// a picture for a 4K screen spans thousands of ordinary pages, and the first touch of each costs
// more than decoding its pixels. Throws std::bad_alloc when there is no memory.
void *Pixels_Allocate(size_t bytes);
void Pixels_Free(void *p, size_t bytes) noexcept;
// Maps the pages of a buffer someone else allocated (a window's backing picture) in one call, so
// that painting it first does not fault page by page; the contents stay as they are. Only a hint.
void Pixels_Prefault(const void *p, size_t bytes) noexcept;

// The allocator of picture pixels: growing a buffer leaves the new pixels unset instead of clearing
// them, as every decoder writes each pixel itself (clearing a picture of a 4K screen first would
// touch 30 MB for nothing).
template <class T>
struct PixelAllocator {
  using value_type = T;
  template <class U>
  struct rebind {
    using other = PixelAllocator<U>;
  };
  PixelAllocator() = default;
  template <class U>
  PixelAllocator(const PixelAllocator<U> &) noexcept {}
  T *allocate(size_t n) {
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    return static_cast<T *>(Pixels_Allocate(n * sizeof(T)));
  }
  void deallocate(T *p, size_t n) noexcept { Pixels_Free(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const PixelAllocator<U> &) const noexcept {
    return true;
  }
  template <class U>
  void construct(U *p) noexcept {
    ::new (static_cast<void *>(p)) U;
  }
  template <class U, class... Args>
  void construct(U *p, Args &&...args) {
    ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
  }
};
using PixelBuffer = std::vector<uint32_t, PixelAllocator<uint32_t>>;

// A decoded picture: premultiplied ARGB, one uint32 per pixel (0xAARRGGBB), rows top to bottom.
// This is the layout the window paints from without conversion.
// scale is the number of pixels per skin pixel in each direction: 1 for an ordinary picture, 2 or 3
// for a high-resolution variant that stands for a picture of width / scale x height / scale.
struct Picture {
  int32_t width = 0, height = 0;
  PixelBuffer pixels;
  int32_t scale = 1;
  bool opaque = false;  // every pixel's alpha is 255 (as a decoder found it; false when unknown)
  // The part whose pixels are stored, row after row, when the loader cut fully transparent borders
  // away (Img_Trim); empty when the whole picture is stored.
  Rect trim;
  int32_t SkinWidth() const { return width / scale; }
  int32_t SkinHeight() const { return height / scale; }
  Rect Stored() const { return trim.Empty() ? Rect{0, 0, width, height} : trim; }
  // The pixel at (x, y) of the whole picture: transparent outside it and outside what is stored.
  uint32_t At(int64_t x, int64_t y) const {
    const Rect s = Stored();
    x -= s.left;
    y -= s.top;
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return 0;
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(s.width) + static_cast<size_t>(x)];
  }
};
using PictureRef = std::shared_ptr<const Picture>;
