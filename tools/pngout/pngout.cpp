#include "pngout.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

bool Tool_Save_Png(const QImage &img, const std::string &file) {
  const QImage rgba = img.convertToFormat(QImage::Format_RGBA8888);
  FILE *out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  volatile bool ok = false;  // set after the last call that may jump back
  if (info && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, out);
    png_set_compression_level(png, 9);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(rgba.width()), static_cast<png_uint_32>(rgba.height()), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    for (int y = 0; y < rgba.height(); ++y) png_write_row(png, rgba.constScanLine(y));
    png_write_end(png, info);
    ok = true;
  }
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return std::fclose(out) == 0 && ok;
}
