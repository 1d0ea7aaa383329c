// Picture memory: large buffers aligned to huge pages and marked for them, the rest from the heap.
#include <sys/mman.h>

#include <unistd.h>

#include <cstdint>
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

void Pixels_Prefault(const void *p, size_t bytes) noexcept {
#ifdef MADV_POPULATE_WRITE
  // One call maps all the pages, in a fraction of the time of faulting them one by one as a 4K
  // window's 33 MB are painted. Older kernels refuse the advice and the pages fault in as before.
  const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
  if (!p || bytes == 0 || page == 0) return;
  const uintptr_t start = reinterpret_cast<uintptr_t>(p) / page * page;
  const uintptr_t end = reinterpret_cast<uintptr_t>(p) + bytes;
  ::madvise(reinterpret_cast<void *>(start), end - start, MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)bytes;
#endif
}
