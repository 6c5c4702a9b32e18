#include "platform/heap.h"

#include <malloc.h>

#include <cstdlib>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define OSTREL_OWN_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define OSTREL_OWN_ALLOCATOR 0
#endif
#endif
#ifndef OSTREL_OWN_ALLOCATOR
#define OSTREL_OWN_ALLOCATOR 1
#endif

namespace plat {

void ReserveHeap(size_t bytes) {
#if OSTREL_OWN_ALLOCATOR
  // Blocks up to the largest threshold the allocator accepts come from the
  // heap (not from a mapping of their own, unmapped again when freed), and
  // freed memory at the heap's top stays mapped.
  constexpr size_t kBlock = size_t(16) << 20;
  mallopt(M_MMAP_THRESHOLD, int(2 * kBlock));
  mallopt(M_TRIM_THRESHOLD, int(bytes + 4 * kBlock));
  std::vector<void*> blocks;
  for (size_t done = 0; done < bytes; done += kBlock) {
    void* p = std::malloc(kBlock);
    if (!p) break;
    // One write a page maps it; volatile so the store is kept.
    for (size_t at = 0; at < kBlock; at += 4096) static_cast<volatile char*>(p)[at] = 0;
    blocks.push_back(p);
  }
  for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) std::free(*it);
#else
  (void)bytes;
#endif
}

}  // namespace plat
