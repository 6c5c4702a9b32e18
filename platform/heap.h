#pragma once
#include <cstddef>

namespace plat {

// Maps `bytes` of the main thread's heap up front and keeps them mapped,
// so that the large pools and buffers taken at a scene switch or a stage
// load reuse pages already mapped instead of faulting in fresh zeroed ones
// in that frame. Call once at start-up, before the first frame (later calls
// do nothing). Does nothing in a build whose allocator is replaced by a
// sanitizer's.
void ReserveHeap(size_t bytes);

}  // namespace plat
