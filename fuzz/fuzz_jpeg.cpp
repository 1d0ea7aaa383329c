// JPEG decoding of arbitrary bytes: a failure gives null and a reason, a success a picture of the
// size it claims within the side limit, fully opaque.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/image.h"

namespace {

void Check(bool ok, const char *what) {
  if (ok) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string error;
  const PictureRef pic = Img_Decode_Jpeg(data, size, &error);
  if (!pic) {
    Check(!error.empty(), "failure without a reason");
    return 0;
  }
  Check(pic->width > 0 && pic->height > 0 && pic->width <= kMaxPictureSide && pic->height <= kMaxPictureSide,
        "picture size out of range");
  Check(pic->pixels.size() == static_cast<size_t>(pic->width) * static_cast<size_t>(pic->height),
        "pixel count differs from the size");
  for (const uint32_t p : pic->pixels) {
    Check((p >> 24) == 0xFF, "a JPEG pixel is not opaque");
  }
  return 0;
}
