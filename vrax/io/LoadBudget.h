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

// What every resource alive may hold together: each resource's charges are
// also taken from this total and given back when the resource is released,
// so that many resources that each stay within kMaxResourceBytes cannot
// fill the memory between them.
//
// 256 MB: the most the game's data hold at once is 29.5 MB (in the attract
// sequence; a stage's play at most 27.4 MB), and all 184 image lists of the
// tree together make 66 MB of pixels. Eight times the most fits, and four
// resources at their own limit, so the largest single resource always loads
// (see the README's "Damaged data").
constexpr uint64_t kMaxLoadedBytes = uint64_t(256) << 20;

// A shared total that budgets charge through. Not for several threads: the
// loaders charge on the frame's thread.
class LoadTotal {
 public:
  explicit LoadTotal(uint64_t limit) : limit_(limit) {}
  LoadTotal(const LoadTotal&) = delete;
  LoadTotal& operator=(const LoadTotal&) = delete;

  uint64_t Used() const { return used_; }
  uint64_t Limit() const { return limit_; }
  // A new limit; what is held stays (a limit below it refuses every charge
  // until enough is given back).
  void SetLimit(uint64_t limit) { limit_ = limit; }

 private:
  friend class LoadBudget;
  bool Take(uint64_t bytes);
  void GiveBack(uint64_t bytes) { used_ -= bytes; }

  uint64_t limit_;
  uint64_t used_ = 0;
};

// The total every resource charges through (limit kMaxLoadedBytes).
LoadTotal& LoadedTotal();

class LoadBudget {
 public:
  // With a total, every charge is taken from it too, and what was charged
  // is given back to it by Release() and when the budget ends.
  explicit LoadBudget(uint64_t limit = kMaxResourceBytes, LoadTotal* total = nullptr)
      : limit_(limit), total_(total) {}
  ~LoadBudget() { Release(); }
  LoadBudget(const LoadBudget&) = delete;
  LoadBudget& operator=(const LoadBudget&) = delete;

  // Charges count items of size bytes each. False, with nothing charged,
  // when the product overflows or the budget or its total would pass its
  // limit.
  bool Charge(uint64_t count, uint64_t size = 1);
  // Gives everything charged back to the total; nothing is charged after.
  void Release();
  // Gives back `bytes` of what is charged (all of it, when less is), to the
  // total too: a charge for something that was not made after all.
  void GiveBack(uint64_t bytes);
  uint64_t Used() const { return used_; }
  uint64_t Limit() const { return limit_; }

 private:
  uint64_t limit_;
  uint64_t used_ = 0;
  LoadTotal* total_;
};

// What the heap's allocator keeps beside each block it hands out (its header
// and rounding), counted with the block's bytes.
constexpr uint64_t kHeapBlockOverhead = 16;

// Charges one heap block of count items of size bytes each (a vector's or a
// string's storage): its bytes and kHeapBlockOverhead; nothing when count
// is 0 (no block is made). False, with nothing charged, past the limit.
bool ChargeBlock(LoadBudget& budget, uint64_t count, uint64_t size = 1);
