// Picture files: PNG through libpng and JPEG through libjpeg, chosen by the file name's extension;
// other extensions go to a fallback decoder that the GUI layer registers.
#pragma once
#include <functional>
#include <string>

#include "platform/types.h"

// Largest width or height, and largest number of pixels, accepted; larger headers are refused
// before anything is allocated. A long thin picture (9000 x 1) is fine; the pixel limit is what
// bounds the memory (256 MB of ARGB) and the decoding time of one picture.
constexpr int32_t kMaxPictureSide = 32768;
constexpr int64_t kMaxPicturePixels = int64_t{8192} * 8192;

// Decodes a file. On failure returns null and puts a one-line reason into *error.
PictureRef Img_Load(const std::string &path, std::string *error);
// Decoders for bytes already in memory (embedded pictures, tests, fuzzing).
PictureRef Img_Decode_Png(const void *data, size_t size, std::string *error);
PictureRef Img_Decode_Jpeg(const void *data, size_t size, std::string *error);
// Decodes bytes read from path with the decoder its extension names (the fallback reads path).
PictureRef Img_Decode_File(const std::string &path, const std::string &bytes, std::string *error);
// True when path names a PNG or JPEG, whose header Img_Peek_Size can read.
bool Img_Has_Own_Decoder(const std::string &path);
// Width and height from the header of a PNG or JPEG in memory, without decoding the pixels, and
// (when work is given) the bytes the decoder needs besides the pixels while it decodes (a
// progressive JPEG's coefficients). False when the header cannot be read (the decode will then
// give the reason).
bool Img_Peek_Size(const std::string &path, const std::string &bytes, int32_t *width, int32_t *height,
                   uint64_t *work = nullptr);

using ImageFallback = std::function<PictureRef(const std::string &path, std::string *error)>;
// Registers the decoder for extensions other than .png, .jpg and .jpeg.
void Img_Set_Fallback(ImageFallback fallback);

// The smallest rectangle holding every pixel that is not fully transparent, of w x h pixels whose
// rows lie stride pixels apart; empty when every pixel is.
Rect Img_Shown_Part(const uint32_t *px, int32_t w, int32_t h, size_t stride);
// Cuts the fully transparent borders off a large picture whose pixels nobody shares yet, when
// that frees a quarter of it or more (a skin's background often lies in a larger transparent
// canvas). One skin pixel of the border stays, and the cut falls between skin pixels, so that the
// stored part drawn through any scale shows what the whole picture shows.
void Img_Trim(Picture &pic);

// The 10 x 10 placeholder for a missing picture: red, outlined with a one-pixel black line.
PictureRef Img_Placeholder();
