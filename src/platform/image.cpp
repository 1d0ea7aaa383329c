#include "platform/image.h"

#include <algorithm>
#include <cctype>

#include "platform/files.h"

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
