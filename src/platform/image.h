// Picture files: PNG through libpng and JPEG through libjpeg, chosen by the file name's extension;
// other extensions go to a fallback decoder that the GUI layer registers.
#pragma once
#include <functional>
#include <string>

#include "platform/types.h"

// Largest width or height accepted; larger headers are refused before anything is allocated.
constexpr int32_t kMaxPictureSide = 8192;

// Decodes a file. On failure returns null and puts a one-line reason into *error.
PictureRef Img_Load(const std::string &path, std::string *error);
// Decoders for bytes already in memory (embedded pictures, tests, fuzzing).
PictureRef Img_Decode_Png(const void *data, size_t size, std::string *error);
PictureRef Img_Decode_Jpeg(const void *data, size_t size, std::string *error);

using ImageFallback = std::function<PictureRef(const std::string &path, std::string *error)>;
// Registers the decoder for extensions other than .png, .jpg and .jpeg.
void Img_Set_Fallback(ImageFallback fallback);

// The 10 x 10 placeholder for a missing picture: red, outlined with a one-pixel black line.
PictureRef Img_Placeholder();
