// PNG decoding through libpng: every colour type and bit depth, interlaced or not, turned into
// premultiplied ARGB32. libpng reports errors by calling our handler, which records the message
// and jumps back to the decoder; nothing is printed and nothing aborts.
#include <png.h>

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

// Everything between setjmp and the last libpng call works through r, so no local of this frame
// changes after setjmp and nothing with a destructor lives only in this frame.
bool Decode(PngReader *r) {
  if (setjmp(png_jmpbuf(r->png))) return false;
  png_set_read_fn(r->png, r, ReadBytes);
  png_read_info(r->png, r->info);

  const png_uint_32 w = png_get_image_width(r->png, r->info);
  const png_uint_32 h = png_get_image_height(r->png, r->info);
  if (w == 0 || h == 0 || w > static_cast<png_uint_32>(kMaxPictureSide) ||
      h > static_cast<png_uint_32>(kMaxPictureSide)) {
    r->error = Img_Size_Error(w, h);
    return false;
  }
  const int color = png_get_color_type(r->png, r->info);
  const int depth = png_get_bit_depth(r->png, r->info);
  const bool has_trns = png_get_valid(r->png, r->info, PNG_INFO_tRNS) != 0;
  const bool alpha = (color & PNG_COLOR_MASK_ALPHA) != 0 || has_trns;

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
  r->pic->pixels.resize(static_cast<size_t>(w) * h);
  r->rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y)
    r->rows[y] = reinterpret_cast<png_bytep>(r->pic->pixels.data() + static_cast<size_t>(y) * w);
  png_read_image(r->png, r->rows.data());
  // The chunks after the image data (and the end marker) carry nothing the program uses.
  if (alpha) Img_Premultiply(r->pic->pixels.data(), r->pic->pixels.size());
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
  if (!Decode(&r)) {
    *error = "PNG: " + (r.error.empty() ? std::string("cannot decode") : r.error);
    return nullptr;
  }
  return r.pic;
}
