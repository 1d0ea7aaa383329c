// PNG decoding of arbitrary bytes: a failure gives null and a reason, a success a picture of the
// size it claims within the side limit, in premultiplied ARGB.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <zlib.h>

#include "platform/image.h"
#include "fuzz_check.h"

namespace {

uint32_t Be32(const uint8_t *p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t *data, size_t size, size_t max_size);

// Every chunk carries a CRC, so nearly every blind mutation would stop at the first damaged chunk.
// After mutating, the CRCs of the chunks that are whole are made right again, so that the changes
// reach the header checks, the decompression and the row conversion behind them.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t *data, size_t size, size_t max_size, unsigned int) {
  size = LLVMFuzzerMutate(data, size, max_size);
  size_t pos = 8;
  while (pos + 12 <= size) {
    const uint32_t length = Be32(data + pos);
    if (length > size - pos - 12) break;
    const uLong crc = crc32(0L, data + pos + 4, static_cast<uInt>(length + 4));
    uint8_t *out = data + pos + 8 + length;
    out[0] = static_cast<uint8_t>(crc >> 24);
    out[1] = static_cast<uint8_t>(crc >> 16);
    out[2] = static_cast<uint8_t>(crc >> 8);
    out[3] = static_cast<uint8_t>(crc);
    pos += 12 + length;
  }
  return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string error;
  const PictureRef pic = Img_Decode_Png(data, size, &error);
  if (!CheckDecoded(pic, error)) return 0;
  for (const uint32_t p : pic->pixels) {
    const uint32_t a = p >> 24;
    Check(((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a, "colour above alpha");
  }
  return 0;
}
