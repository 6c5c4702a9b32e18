#pragma once
#include <cstdint>

// A bump allocator over a buffer that the caller owns. Every block it hands
// out is 32-byte aligned and a multiple of 32 bytes long; nothing is freed one
// by one, Reset rewinds the whole area. The resource manager keeps one per
// resource group.
class LinearAllocator {
 public:
  static constexpr uint32_t kAlign = 32;

  LinearAllocator() = default;
  virtual ~LinearAllocator() = default;

  // Takes buffer (may be null) of size bytes: base = cursor = buffer rounded
  // up to a multiple of 32, capacity = what is left after that rounding (0
  // when the rounding would skip the whole buffer; size for a null buffer,
  // which Alloc still refuses). Returns the bytes skipped.
  virtual uint32_t Init(void* buffer, uint32_t size);
  virtual uint8_t* GetBase() const { return base_; }
  virtual uint32_t Capacity() const { return capacity_; }
  // Null without a buffer or when the rounded size does not fit any more.
  virtual void* Alloc(uint32_t n);
  virtual void Reset() { cursor_ = base_; }

  uint32_t Used() const { return static_cast<uint32_t>(cursor_ - base_); }

 private:
  uint8_t* base_ = nullptr;
  uint8_t* cursor_ = nullptr;
  uint32_t capacity_ = 0;
};
