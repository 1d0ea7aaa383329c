// JPEG decoding through libjpeg. (Being written: returns an error for now.)
#include "platform/image.h"

PictureRef Img_Decode_Jpeg(const void *, size_t, std::string *error) {
  *error = "JPEG decoding is not available yet";
  return nullptr;
}
