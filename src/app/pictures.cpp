#include "app/pictures.h"

#include <cstring>
#include <map>
#include <string>

#include "platform/image.h"

struct EmbeddedPicture {
  const char *name;
  const unsigned char *data;
  unsigned long size;
};
extern const EmbeddedPicture kEmbeddedPictures[];

PictureRef App_Picture(const char *name) {
  static std::map<std::string, PictureRef> decoded;
  auto it = decoded.find(name);
  if (it != decoded.end()) return it->second;
  for (const EmbeddedPicture *p = kEmbeddedPictures; p->name; ++p) {
    if (std::strcmp(p->name, name) != 0) continue;
    std::string error;
    PictureRef pic = Img_Decode_Png(p->data, p->size, &error);
    decoded[name] = pic;
    return pic;
  }
  return nullptr;
}
