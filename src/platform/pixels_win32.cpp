// Picture memory on Windows: large buffers straight from the system's virtual memory (page
// aligned, committed at once), the rest from the heap.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#include "platform/types.h"

namespace {

// Below this a buffer is an ordinary heap block.
constexpr size_t kLarge = size_t{4} << 20;

}  // namespace

void *Pixels_Allocate(size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (bytes < kLarge) {
    if (void *p = std::malloc(bytes)) return p;
    throw std::bad_alloc();
  }
  void *p = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (!p) throw std::bad_alloc();
  return p;
}

void Pixels_Free(void *p, size_t bytes) noexcept {
  if (!p) return;
  if (bytes == 0) bytes = 1;
  if (bytes < kLarge) std::free(p);
  else VirtualFree(p, 0, MEM_RELEASE);
}

// Fresh pages from VirtualAlloc fault in as they are first painted; Windows has no advice that
// maps fresh anonymous pages ahead of use.
void Pixels_Prefault(const void *, size_t) noexcept {}
