#include "vrax/resource/LinearAllocator.h"

#include <cstddef>

uint32_t LinearAllocator::Init(void* buffer, uint32_t size) {
  // A null buffer has nothing to round: base stays null (Alloc refuses) and
  // the capacity is the size given.
  uintptr_t addr = reinterpret_cast<uintptr_t>(buffer);
  uintptr_t aligned = (addr + (kAlign - 1)) & ~static_cast<uintptr_t>(kAlign - 1);
  uint32_t skipped = static_cast<uint32_t>(aligned - addr);
  base_ = cursor_ = buffer != nullptr ? static_cast<uint8_t*>(buffer) + skipped : nullptr;
  // A buffer shorter than the alignment gap has no usable bytes at all; the
  // subtraction must not wrap into a huge capacity.
  capacity_ = size > skipped ? size - skipped : 0;
  return skipped;
}

void* LinearAllocator::Alloc(uint32_t n) {
  if (base_ == nullptr) return nullptr;
  uint64_t rounded = (static_cast<uint64_t>(n) + (kAlign - 1)) & ~static_cast<uint64_t>(kAlign - 1);
  uint64_t used = static_cast<uint64_t>(cursor_ - base_);
  if (used + rounded > capacity_) return nullptr;
  void* p = cursor_;
  cursor_ += rounded;
  return p;
}
