#include "platform/image.h"

#include <algorithm>
#include <cctype>

#include "platform/files.h"
#include "platform/image_pixels.h"

namespace {

ImageFallback g_fallback;

std::string Extension(const std::string &path) {
  const size_t dot = path.find_last_of('.');
  const size_t sep = path.find_last_of("/\\");
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return {};
  std::string ext = path.substr(dot + 1);
  for (char &c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

void Img_Premultiply(uint32_t *px, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = px[i];
    const uint32_t a = p >> 24;
    if (a == 255) continue;
    if (a == 0) {
      px[i] = 0;
      continue;
    }
    // Red and blue together, then green: t / 255 rounded is (t + t / 256 + 128) / 256 for t < 65536.
    uint32_t rb = (p & 0x00FF00FFu) * a;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu) + 0x00800080u) >> 8) & 0x00FF00FFu;
    uint32_t g = ((p >> 8) & 0xFFu) * a;
    g = (g + (g >> 8) + 0x80u) & 0xFF00u;
    px[i] = (a << 24) | rb | g;
  }
}

std::string Img_Size_Error(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0) return "the picture has no pixels (" + std::to_string(width) + " x " + std::to_string(height) + ")";
  return "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels, more than the " + std::to_string(kMaxPictureSide) + " a side accepted";
}

void Img_Set_Fallback(ImageFallback fallback) { g_fallback = std::move(fallback); }

PictureRef Img_Load(const std::string &path, std::string *error) {
  const std::string ext = Extension(path);
  if (ext == "png" || ext == "jpg" || ext == "jpeg") {
    std::string bytes;
    if (!Sys_Read_File(path, bytes)) {
      *error = "cannot read the file";
      return nullptr;
    }
    return ext == "png" ? Img_Decode_Png(bytes.data(), bytes.size(), error)
                        : Img_Decode_Jpeg(bytes.data(), bytes.size(), error);
  }
  if (g_fallback) return g_fallback(path, error);
  *error = "unsupported picture format";
  return nullptr;
}

PictureRef Img_Placeholder() {
  static const PictureRef pic = [] {
    auto p = std::make_shared<Picture>();
    p->width = p->height = 10;
    p->pixels.assign(100, 0xFFFF0000u);
    for (int i = 0; i < 10; ++i) {
      p->pixels[i] = p->pixels[90 + i] = p->pixels[i * 10] = p->pixels[i * 10 + 9] = 0xFF000000u;
    }
    return p;
  }();
  return pic;
}
