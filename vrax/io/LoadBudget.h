#pragma once
#include <cstdint>

// What one resource's load may make in memory: decoded pixels, sound
// buffers, records and tables built from its files. A loader charges the
// bytes before it makes them; a charge that would pass the limit is refused
// and the loader fails the resource with its open-error line, so that a
// damaged or hostile file costs at most this much, whatever it names.
//
// 64 MB: one 4096x4096 picture of 32-bit pixels. The largest resource of the
// game's data, the opening's image (ten pictures of 512 x 512), makes 10 MB
// of pixels, and the largest sound bank, the music (eight streamed waves),
// 5.5 MB: six times as much fits (see the README's "Damaged data").
constexpr uint64_t kMaxResourceBytes = uint64_t(64) << 20;

class LoadBudget {
 public:
  explicit LoadBudget(uint64_t limit = kMaxResourceBytes) : limit_(limit) {}
  // Charges count items of size bytes each. False, with nothing charged,
  // when the product overflows or the total would pass the limit.
  bool Charge(uint64_t count, uint64_t size = 1);
  uint64_t Used() const { return used_; }
  uint64_t Limit() const { return limit_; }

 private:
  uint64_t limit_;
  uint64_t used_ = 0;
};

// What the heap's allocator keeps beside each block it hands out (its header
// and rounding), counted with the block's bytes.
constexpr uint64_t kHeapBlockOverhead = 16;

// Charges one heap block of count items of size bytes each (a vector's or a
// string's storage): its bytes and kHeapBlockOverhead; nothing when count
// is 0 (no block is made). False, with nothing charged, past the limit.
inline bool ChargeBlock(LoadBudget& budget, uint64_t count, uint64_t size = 1) {
  if (count == 0) return true;
  LoadBudget probe = budget;
  if (!probe.Charge(count, size) || !probe.Charge(kHeapBlockOverhead)) return false;
  budget = probe;
  return true;
}
