// JPEG decoding of arbitrary bytes: a failure gives null and a reason, a success a picture of the
// size it claims within the side limit, fully opaque.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/image.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string error;
  const PictureRef pic = Img_Decode_Jpeg(data, size, &error);
  if (!CheckDecoded(pic, error)) return 0;
  for (const uint32_t p : pic->pixels) {
    Check((p >> 24) == 0xFF, "a JPEG pixel is not opaque");
  }
  return 0;
}
