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

#if OSTREL_OWN_ALLOCATOR
namespace {

// Kept for the program's life just above the reserved memory: the heap
// gives back only free memory at its top, so the reserve below stays.
void* g_fence = nullptr;

}  // namespace
#endif

void ReserveHeap(size_t bytes) {
#if OSTREL_OWN_ALLOCATOR
  if (g_fence) return;
  // Blocks up to the largest threshold the allocator accepts come from the
  // heap, not from a mapping of their own that is unmapped again when freed
  // (a fixed threshold: the allocator would otherwise start low and raise it
  // only after the first such block was freed).
  constexpr size_t kBlock = size_t(16) << 20;
  mallopt(M_MMAP_THRESHOLD, int(2 * kBlock));
  std::vector<void*> blocks;
  blocks.reserve(bytes / kBlock + 1);
  for (size_t done = 0; done < bytes; done += kBlock) {
    void* p = std::malloc(kBlock);
    if (!p) break;
    // One write a page maps it; volatile so the store is kept.
    for (size_t at = 0; at < kBlock; at += 4096) static_cast<volatile char*>(p)[at] = 0;
    blocks.push_back(p);
  }
  // The fence comes from the heap's top, right above the blocks (a request
  // this large fits no freed chunk), and shrinks in place to a few bytes.
  void* fence = std::malloc(kBlock);
  g_fence = fence ? std::realloc(fence, 64) : nullptr;
  for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) std::free(*it);
#else
  (void)bytes;
#endif
}

}  // namespace plat
