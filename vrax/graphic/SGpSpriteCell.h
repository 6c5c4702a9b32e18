#pragma once
// Sprite requests and the fixed-capacity pool they come from, so that no
// sprite costs a heap allocation. A request is linked into a sprite batch's
// list and drawn every time the batch executes, until its holder releases it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vrax/kernel/SObject.h"

struct SGpRect;
class SGpSpriteCellPool;

class SGpSpriteCell : public SObject {
 public:
  SGpSpriteCell();
  // Releasing a cell unlinks it from its list and gives it back to its pool.
  ~SGpSpriteCell() override;

  // Cells live inside their pool's storage: `delete cell` releases the cell
  // (runs the destructor) and leaves the storage to the pool.
  static void operator delete(void*) {}
  static void* operator new(size_t) = delete;
  static void* operator new(size_t, void* where) { return where; }

  float* position;       // where the pivot stands; &ownPos[0] unless redirected
  float ownPos[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  float angle = 0.0f;    // turns
  float scaleX = 1.0f;
  float scaleY = 1.0f;
  float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  const SGpRect* part = nullptr;  // a request without a part is not drawn
  bool billboard = false;
  SGpSpriteCellPool* pool = nullptr;
};

class SGpSpriteCellPool {
 public:
  SGpSpriteCellPool() = default;
  explicit SGpSpriteCellPool(int n) { Init(n); }
  virtual ~SGpSpriteCellPool();
  SGpSpriteCellPool(const SGpSpriteCellPool&) = delete;
  SGpSpriteCellPool& operator=(const SGpSpriteCellPool&) = delete;

  // Sizes the pool for n cells, all free. A pool whose cells are in use is
  // kept as it is (its holders still point into it): the call reports the
  // fact and returns -1. Also -1 for a negative n or when the storage cannot
  // be had.
  virtual int Init(int n);
  // Releases every cell in use, last to first; free = capacity, cursor 0.
  virtual void DestroyAll();
  // The first free cell from the cursor on, wrapping; null when none.
  virtual SGpSpriteCell* Acquire();
  virtual int Capacity() const { return capacity_; }
  virtual int GetFree() const { return free_; }

  // Index of a cell of this pool, or -1.
  int IndexOf(const SGpSpriteCell* cell) const;
  int GetCursor() const { return cursor_; }

 private:
  friend class SGpSpriteCell;
  static constexpr size_t kCellStride = (sizeof(SGpSpriteCell) + 31) / 32 * 32;
  SGpSpriteCell* CellAt(int i) const {
    return reinterpret_cast<SGpSpriteCell*>(cells_ + static_cast<size_t>(i) * kCellStride);
  }
  void Released(const SGpSpriteCell* cell);

  int free_ = 0;
  int cursor_ = 0;
  std::unique_ptr<uint8_t[]> storage_;
  uint8_t* cells_ = nullptr;  // first 32-byte boundary inside storage_
  std::vector<uint8_t> used_;
  int capacity_ = 0;
};

// The global pool of sprite requests: built before everything else with
// 1,024 cells and destroyed after everything else at exit.
SGpSpriteCellPool* GetSpriteCellPool();
