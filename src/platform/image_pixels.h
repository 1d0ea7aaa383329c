// Helpers shared by the picture decoders.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

// The decoders write 0xAARRGGBB words as the bytes B, G, R, A.
static_assert(std::endian::native == std::endian::little, "picture decoders assume a little-endian machine");

// Turns straight-alpha ARGB32 into premultiplied ARGB32 in place (colour * alpha / 255, rounded).
// True when every pixel was opaque.
bool Img_Premultiply(uint32_t *px, size_t count);
// Empty when width x height is within the limits of image.h, else the reason for refusing it.
std::string Img_Size_Error(uint64_t width, uint64_t height);
// The pixel capacity to reserve when rows up to need pixels are decoded, have reserved and total
// claimed: up to 32 MB at once (the largest picture of a skin drawn for a 4K screen, so it is
// never copied), beyond that doubling as the rows arrive, so a file that stops early never costs
// all the memory its header claims.
size_t Img_Grow_Capacity(size_t have, size_t need, size_t total);

// The memory libjpeg takes for the coefficients of a whole picture, which it keeps when the file
// has several scans (progressive, or one scan per component): 128 bytes a block of 8 x 8 samples
// of every component, its rows and columns rounded up to whole units of its sampling factors.
// h_samp and v_samp hold the sampling factors of the components (1 to 4 each).
uint64_t Img_Jpeg_Coefficient_Bytes(uint32_t width, uint32_t height, int components, const int *h_samp,
                                    const int *v_samp);
// The most the JPEG decoder may take for them: as much as the pixels of the largest picture.
constexpr uint64_t kMaxJpegCoefficientBytes = uint64_t{256} << 20;
