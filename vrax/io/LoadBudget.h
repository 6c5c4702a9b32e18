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

// What every resource alive may hold together, with every data file read
// whole and every copy of file data while they are held: each resource's
// charges are also taken from this total and given back when the resource
// is released, and so is each file's buffer (the I/O manager's, a cache
// archive's, a replay's, the count-down's pictures), the cache's entries and
// the decode-ahead's copies when they are freed, so that many resources
// and files that each stay within their own limit cannot fill the memory
// between them. The decode-ahead's copies and the cache take free room only,
// and the copies give theirs back to a load that needs it (LoadYielder), so
// that what only speeds loads up never refuses one.
//
// 256 MB: the most the game's data hold at once, files and copies with the
// resources, is 39.3 MB (in the attract sequence; a stage's play at most
// 35.4 MB), and all 184 image lists of the tree together make 66 MB of
// pixels. Six and a half times the most fits, and three resources at their
// own limit beside it, so the largest single resource always loads (see
// the README's "Damaged data").
constexpr uint64_t kMaxLoadedBytes = uint64_t(256) << 20;

class LoadTotal;

// Something that holds room in a total only to make later loads faster (the
// decode-ahead's copies of cached files and the pictures it makes from them
// before they are asked for). A charge for what a load needs that the total
// cannot take otherwise asks such holders, the last joined first, to give
// room back, and is refused only when what the rest holds leaves no room.
class LoadYielder {
 public:
  LoadYielder() = default;
  LoadYielder(const LoadYielder&) = delete;
  LoadYielder& operator=(const LoadYielder&) = delete;

  // From here on the total may ask for this holder's room (it leaves the
  // total it joined before).
  void Join(LoadTotal& total);
  // No longer asked.
  void Leave();

  // The room it holds in its total that it can give back.
  virtual uint64_t HeldAhead() const = 0;
  // Frees what it holds, giving its room back to the total (never charging
  // anything), until it has given back at least `bytes` or holds nothing.
  virtual void Yield(uint64_t bytes) = 0;

 protected:
  virtual ~LoadYielder() { Leave(); }

 private:
  friend class LoadTotal;
  LoadTotal* total_ = nullptr;
  LoadYielder* prev_ = nullptr;
  LoadYielder* next_ = nullptr;
};

// A shared total that budgets charge through. Not for several threads: the
// loaders, the I/O manager and the readers of whole files charge on the
// frame's thread (a file read on a thread of its own is charged before the
// thread starts and given back after it ended).
class LoadTotal {
 public:
  // Constant-initialised and never destroyed, so that objects that outlive
  // main (the replay, the I/O manager) give back to it at exit.
  explicit constexpr LoadTotal(uint64_t limit) : limit_(limit) {}
  LoadTotal(const LoadTotal&) = delete;
  LoadTotal& operator=(const LoadTotal&) = delete;

  uint64_t Used() const { return used_; }
  uint64_t Limit() const { return limit_; }
  // A new limit; what is held stays (a limit below it refuses every charge
  // until enough is given back).
  void SetLimit(uint64_t limit) { limit_ = limit; }
  // The most held at once since the start or the last ResetMost (which
  // starts again from what is held).
  uint64_t Most() const { return most_; }
  void ResetMost() { most_ = used_; }
  // What the holders joined hold ahead (part of Used()).
  uint64_t HeldAhead() const;

 private:
  friend class LoadBudget;
  friend class LoadYielder;
  // Takes bytes when they fit; when they do not and ask is set, the holders
  // of room ahead give room back first, if that can make them fit.
  bool Take(uint64_t bytes, bool ask);
  bool Fits(uint64_t bytes) const { return used_ <= limit_ && bytes <= limit_ - used_; }
  void GiveBack(uint64_t bytes) { used_ -= bytes; }

  uint64_t limit_;
  uint64_t used_ = 0;
  uint64_t most_ = 0;
  LoadYielder* last_ = nullptr;  // the holders joined, the last first
};

// The total every resource charges through (limit kMaxLoadedBytes).
LoadTotal& LoadedTotal();

// What a budget's charges are for: what a load needs, for which holders of
// room ahead give theirs back, or what only makes loads faster (a cache's
// entries, the decode-ahead's copies), which takes free room only.
enum class LoadUse { kNeeded, kAhead };

class LoadBudget {
 public:
  // With a total, every charge is taken from it too, and what was charged
  // is given back to it by Release() and when the budget ends.
  explicit LoadBudget(uint64_t limit = kMaxResourceBytes, LoadTotal* total = nullptr, LoadUse use = LoadUse::kNeeded)
      : limit_(limit), total_(total), use_(use) {}
  ~LoadBudget() { Release(); }
  LoadBudget(const LoadBudget&) = delete;
  LoadBudget& operator=(const LoadBudget&) = delete;

  // Charges count items of size bytes each. False, with nothing charged,
  // when the product overflows or the budget or its total would pass its
  // limit.
  bool Charge(uint64_t count, uint64_t size = 1);
  // Charges bytes from the total's free room only, whatever the budget is
  // for (what is made before it is asked for).
  bool ChargeAhead(uint64_t bytes);
  // Gives bytes of what was charged back (at most what is charged), to the
  // total too, as the memory they stand for is freed or was not made after
  // all.
  void GiveBack(uint64_t bytes);
  // Gives everything charged back to the total; nothing is charged after.
  void Release();
  uint64_t Used() const { return used_; }
  uint64_t Limit() const { return limit_; }

 private:
  bool Take(uint64_t bytes, bool ask);

  uint64_t limit_;
  uint64_t used_ = 0;
  LoadTotal* total_;
  LoadUse use_;
};

// What the heap's allocator keeps beside each block it hands out (its header
// and rounding), counted with the block's bytes.
constexpr uint64_t kHeapBlockOverhead = 16;

// Charges one heap block of count items of size bytes each (a vector's or a
// string's storage): its bytes and kHeapBlockOverhead; nothing when count
// is 0 (no block is made). False, with nothing charged, past the limit.
bool ChargeBlock(LoadBudget& budget, uint64_t count, uint64_t size = 1);
