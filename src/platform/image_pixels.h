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
