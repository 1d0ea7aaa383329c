// Picture memory: large buffers aligned to huge pages and marked for them, the rest from the heap.
#include <sys/mman.h>

#include <cstdlib>

#include "platform/types.h"

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// Below this a buffer is an ordinary heap block: a few pages, or a picture too small for a huge
// page to pay off.
constexpr size_t kLarge = size_t{4} << 20;

size_t Rounded(size_t bytes) { return (bytes + kHugePage - 1) / kHugePage * kHugePage; }

}  // namespace

void *Pixels_Allocate(size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (bytes < kLarge) {
    if (void *p = std::malloc(bytes)) return p;
    throw std::bad_alloc();
  }
  if (bytes > SIZE_MAX - kHugePage) throw std::bad_alloc();
  void *p = std::aligned_alloc(kHugePage, Rounded(bytes));
  if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  // Only a hint: where huge pages are off, the buffer simply stays in ordinary pages.
  ::madvise(p, Rounded(bytes), MADV_HUGEPAGE);
#endif
  return p;
}

void Pixels_Free(void *p, size_t) noexcept { std::free(p); }
