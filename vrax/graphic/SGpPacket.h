#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

// Per-frame packet memory: one block, handed out by bumping a cursor and
// rewound as a whole at the start of every frame. Nothing allocated here has
// its destructor run; objects built in it must not own anything.
class SGpPacket {
 public:
  SGpPacket();
  virtual ~SGpPacket();
  SGpPacket(const SGpPacket&) = delete;
  SGpPacket& operator=(const SGpPacket&) = delete;

  // Replaces the block with size bytes whose handed-out addresses are
  // multiples of align (a power of two). 0, or -1 when memory runs out.
  virtual int Create(int size, uint32_t align);
  // size bytes rounded up to the alignment, or null after the error box
  // "packet allocation error" when the rest of the block is too small.
  virtual void* Alloc(int size);
  // Everything handed out in the frame becomes invalid at once.
  virtual void Reset();

  size_t Used() const { return static_cast<size_t>(cursor_ - start_); }
  size_t Capacity() const { return static_cast<size_t>(end_ - start_); }

  // Builds a T in packet memory; null when the memory is exhausted.
  template <class T, class... Args>
  T* New(Args&&... args) {
    void* p = Alloc(static_cast<int>(sizeof(T)));
    return p ? new (p) T(static_cast<Args&&>(args)...) : nullptr;
  }

 private:
  std::unique_ptr<uint8_t[]> raw_;
  uint8_t* start_ = nullptr;
  uint8_t* end_ = nullptr;
  uint8_t* cursor_ = nullptr;
  uint32_t align_ = 16;
};

// The one packet memory of the program (null when none exists).
SGpPacket* GetGpPacket();
