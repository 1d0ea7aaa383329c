// The windows' own pictures, compiled into the program as PNG files and decoded on first use.
#include "app/embedded_pictures.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "platform/image.h"

struct EmbeddedPicture {
  const char *name;
  const unsigned char *data;
  unsigned long size;
};
extern const EmbeddedPicture kEmbeddedPictures[];

namespace {

const EmbeddedPicture *Embedded(const std::string &name) {
  for (const EmbeddedPicture *p = kEmbeddedPictures; p->name; ++p)
    if (name == p->name) return p;
  return nullptr;
}

}  // namespace

PictureRef App_Picture(const char *name) {
  // A picture is kept while something uses it, and decoded again after.
  static std::map<std::string, std::weak_ptr<const Picture>> decoded;
  auto it = decoded.find(name);
  if (it != decoded.end())
    if (PictureRef kept = it->second.lock()) return kept;
  const EmbeddedPicture *p = Embedded(name);
  if (!p) return nullptr;
  std::string error;
  // Freshly decoded and not shared yet: a variant's scale can still be set, so that it stands
  // for the plain picture at the plain picture's size.
  const std::shared_ptr<Picture> pic = std::const_pointer_cast<Picture>(Img_Decode_Png(p->data, p->size, &error));
  if (pic && std::strstr(name, "@2x")) pic->scale = 2;
  if (pic && std::strstr(name, "@3x")) pic->scale = 3;
  decoded[name] = pic;
  return pic;
}

PictureRef App_Picture(const char *name, double pixel_scale) {
  // Only the rendering chosen is decoded.
  std::string best = name;
  if (pixel_scale > 1.0) {
    for (int k : {2, 3}) {
      const std::string v = std::string(name) + "@" + std::to_string(k) + "x";
      if (!Embedded(v)) continue;
      best = v;
      if (k >= pixel_scale - 1e-9) break;
    }
  }
  PictureRef pic = App_Picture(best.c_str());
  return pic ? pic : App_Picture(name);
}

