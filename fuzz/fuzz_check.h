// What every fuzz target shares: a broken rule ends the run with its description, and a decoded
// picture (or a refusal) is checked for what any decoder owes its callers.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/image.h"

inline void Check(bool ok, const char *what) {
  if (ok) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

// A refusal comes with a reason; a picture has a size in range and a pixel for every place.
// Returns true when there is a picture to look at further.
inline bool CheckDecoded(const PictureRef &pic, const std::string &error) {
  if (!pic) {
    Check(!error.empty(), "failure without a reason");
    return false;
  }
  Check(pic->width > 0 && pic->height > 0 && pic->width <= kMaxPictureSide && pic->height <= kMaxPictureSide &&
            int64_t{pic->width} * pic->height <= kMaxPicturePixels,
        "picture size out of range");
  Check(pic->pixels.size() == static_cast<size_t>(pic->width) * static_cast<size_t>(pic->height),
        "pixel count differs from the size");
  return true;
}
