// PNG decoding through libpng. (Being written: returns an error for now.)
#include "platform/image.h"

PictureRef Img_Decode_Png(const void *, size_t, std::string *error) {
  *error = "PNG decoding is not available yet";
  return nullptr;
}
