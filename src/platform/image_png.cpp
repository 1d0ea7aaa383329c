// PNG decoding through libpng: every colour type and bit depth, interlaced or not, turned into
// premultiplied ARGB32. libpng reports errors by calling our handler, which records the message
// and jumps back to the decoder; nothing is printed and nothing aborts.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "platform/image.h"
#include "platform/image_pixels.h"

namespace {

struct PngReader {
  png_structp png = nullptr;
  png_infop info = nullptr;
  const unsigned char *data = nullptr;
  size_t size = 0;
  size_t pos = 0;
  std::string error;
  std::shared_ptr<Picture> pic;
  std::vector<png_bytep> rows;

  ~PngReader() {
    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};

void OnError(png_structp png, png_const_charp msg) {
  auto *r = static_cast<PngReader *>(png_get_error_ptr(png));
  if (r->error.empty()) r->error = msg ? msg : "unknown error";
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep out, png_size_t length) {
  auto *r = static_cast<PngReader *>(png_get_io_ptr(png));
  if (length > r->size - r->pos) {
    r->error = "the file is truncated";
    png_longjmp(png, 1);
  }
  std::memcpy(out, r->data + r->pos, length);
  r->pos += length;
}

// The bytes of image data present in the file: the IDAT chunks' lengths, counting only what is
// really there when the last chunk is cut.
uint64_t ImageDataBytes(const unsigned char *data, size_t size) {
  uint64_t total = 0;
  for (size_t pos = 8; pos + 8 <= size;) {
    const uint32_t length = png_get_uint_32(data + pos);
    const size_t body = pos + 8;
    const size_t present = std::min<size_t>(length, size - body);
    if (std::memcmp(data + pos + 4, "IDAT", 4) == 0) total += present;
    if (present < length) break;
    pos = body + length + 4;
  }
  return total;
}

// Deflate turns at most 1032 bytes out of one compressed byte (a 258-byte match in two bits), so
// the image data must hold at least this many bytes for the pixels the header claims.
uint64_t LeastImageData(png_uint_32 w, png_uint_32 h, int channels, int depth) {
  const uint64_t raw_bits = uint64_t{w} * h * static_cast<uint64_t>(channels * depth);
  return raw_bits / 8 / 1032;
}

// Everything between setjmp and the last libpng call works through r, so no local of this frame
// changes after setjmp and nothing with a destructor lives only in this frame.
bool Decode(PngReader *r) {
  if (setjmp(png_jmpbuf(r->png))) return false;
  png_set_read_fn(r->png, r, ReadBytes);
  // Every chunk's CRC already guards the compressed bytes; zlib's own checksum over the same
  // bytes is skipped, a tenth of the decoding time.
#ifdef PNG_IGNORE_ADLER32
  png_set_option(r->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  // Only the pixels and the transparency are used: every other chunk (texts, colour profiles,
  // private chunks) is stepped over unread, so a chunk that claims a gigabyte or inflates to one
  // costs nothing. libpng keeps IHDR, PLTE, tRNS, IDAT and IEND.
  png_set_keep_unknown_chunks(r->png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_set_chunk_cache_max(r->png, 16);
  png_set_chunk_malloc_max(r->png, 64 * 1024);
  png_read_info(r->png, r->info);

  const png_uint_32 w = png_get_image_width(r->png, r->info);
  const png_uint_32 h = png_get_image_height(r->png, r->info);
  r->error = Img_Size_Error(w, h);
  if (!r->error.empty()) return false;
  const int color = png_get_color_type(r->png, r->info);
  const int depth = png_get_bit_depth(r->png, r->info);
  if (ImageDataBytes(r->data, r->size) < LeastImageData(w, h, png_get_channels(r->png, r->info), depth)) {
    r->error = "the file is truncated (too little image data for " + std::to_string(w) + " x " +
               std::to_string(h) + " pixels)";
    return false;
  }
  const bool has_trns = png_get_valid(r->png, r->info, PNG_INFO_tRNS) != 0;
  const bool alpha = (color & PNG_COLOR_MASK_ALPHA) != 0 || has_trns;
  const bool interlaced = png_get_interlace_type(r->png, r->info) != PNG_INTERLACE_NONE;

  // Palette to RGB, grey below 8 bits to 8 bits, tRNS to an alpha channel.
  if (color == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(r->png);
  if (color == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(r->png);
  if (has_trns) png_set_tRNS_to_alpha(r->png);
  if (depth == 16) png_set_scale_16(r->png);
  if (!(color & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(r->png);
  // Bytes B, G, R, A in memory are 0xAARRGGBB on a little-endian machine.
  png_set_bgr(r->png);
  if (!alpha) png_set_filler(r->png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(r->png);
  png_read_update_info(r->png, r->info);
  if (png_get_rowbytes(r->png, r->info) != static_cast<size_t>(w) * 4) {
    r->error = "unexpected row layout after conversion";
    return false;
  }

  r->pic = std::make_shared<Picture>();
  r->pic->width = static_cast<int32_t>(w);
  r->pic->height = static_cast<int32_t>(h);
  PixelBuffer &px = r->pic->pixels;
  const size_t total = static_cast<size_t>(w) * h;
  if (interlaced) {
    // Every pass writes rows all over the picture, so it needs all of them from the start.
    px.resize(total);
    r->rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) r->rows[y] = reinterpret_cast<png_bytep>(px.data() + static_cast<size_t>(y) * w);
    png_read_image(r->png, r->rows.data());
  } else {
    // Rows are added as they are decoded, and new pixels are not cleared: a file that stops early
    // never costs all it claims.
    for (png_uint_32 y = 0; y < h; ++y) {
      px.reserve(Img_Grow_Capacity(px.capacity(), px.size() + w, total));
      px.resize(px.size() + w);
      png_read_row(r->png, reinterpret_cast<png_bytep>(px.data() + static_cast<size_t>(y) * w), nullptr);
    }
  }
  // The chunks after the image data (and the end marker) carry nothing the program uses.
  r->pic->opaque = alpha ? Img_Premultiply(px.data(), px.size()) : true;
  return true;
}

}  // namespace

PictureRef Img_Decode_Png(const void *data, size_t size, std::string *error) {
  static_assert(sizeof(uint32_t) == 4);
  if (size < 8) {
    *error = size == 0 ? "the file is empty" : "the file is truncated (no PNG signature)";
    return nullptr;
  }
  if (png_sig_cmp(static_cast<png_const_bytep>(data), 0, 8) != 0) {
    *error = "not a PNG file (wrong signature)";
    return nullptr;
  }
  PngReader r;
  r.data = static_cast<const unsigned char *>(data);
  r.size = size;
  r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, OnError, OnWarning);
  if (r.png) r.info = png_create_info_struct(r.png);
  if (!r.png || !r.info) {
    *error = "out of memory";
    return nullptr;
  }
  bool ok = false;
  try {
    ok = Decode(&r);
  } catch (const std::bad_alloc &) {
    r.error = "not enough memory for the picture";
  }
  if (!ok) {
    *error = "PNG: " + (r.error.empty() ? std::string("cannot decode") : r.error);
    return nullptr;
  }
  return r.pic;
}
