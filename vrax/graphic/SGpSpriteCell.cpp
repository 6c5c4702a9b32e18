#include "vrax/graphic/SGpSpriteCell.h"

#include <cstring>
#include <new>

#include "vrax/io/SysUtil.h"

SGpSpriteCell::SGpSpriteCell() : position(ownPos) {}

SGpSpriteCell::~SGpSpriteCell() {
  if (pool != nullptr) {
    SGpSpriteCellPool* p = pool;
    pool = nullptr;
    p->Released(this);
  }
  // The SObject destructor unlinks the cell from its list.
}

SGpSpriteCellPool::~SGpSpriteCellPool() { DestroyAll(); }

int SGpSpriteCellPool::Init(int n) {
  if (capacity_ > 0 && free_ < capacity_) {
    FatalError("%s(%d) : %s\n", "Vrax/Graphic/SGpSpriteCell", __LINE__,
               "sprite pool in use, not re-initialised\n");
    return -1;
  }
  if (n < 0) return -1;
  DestroyAll();
  const size_t bytes = (static_cast<size_t>(n) + 1) * kCellStride;
  std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[bytes]);
  if (!block) return -1;
  std::memset(block.get(), 0, bytes);
  storage_ = std::move(block);
  const uintptr_t base = reinterpret_cast<uintptr_t>(storage_.get());
  cells_ = storage_.get() + ((32 - base % 32) % 32);
  used_.assign(static_cast<size_t>(n), 0);
  capacity_ = n;
  free_ = n;
  cursor_ = 0;
  return 0;
}

void SGpSpriteCellPool::DestroyAll() {
  for (int i = capacity_ - 1; i >= 0; --i) {
    if (used_[static_cast<size_t>(i)]) CellAt(i)->~SGpSpriteCell();
  }
  free_ = capacity_;
  cursor_ = 0;
}

SGpSpriteCell* SGpSpriteCellPool::Acquire() {
  if (free_ <= 0) return nullptr;
  int found = -1;
  for (int i = cursor_; i < capacity_ && found < 0; ++i)
    if (!used_[static_cast<size_t>(i)]) found = i;
  for (int i = 0; i < cursor_ && found < 0; ++i)
    if (!used_[static_cast<size_t>(i)]) found = i;
  if (found < 0) return nullptr;
  SGpSpriteCell* cell = new (CellAt(found)) SGpSpriteCell();
  cell->pool = this;
  used_[static_cast<size_t>(found)] = 1;
  --free_;
  cursor_ = found + 1;
  if (cursor_ >= capacity_) cursor_ = 0;
  return cell;
}

int SGpSpriteCellPool::IndexOf(const SGpSpriteCell* cell) const {
  if (cells_ == nullptr || capacity_ <= 0) return -1;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(cell);
  if (p < cells_) return -1;
  const size_t off = static_cast<size_t>(p - cells_);
  if (off % kCellStride != 0 || off / kCellStride >= static_cast<size_t>(capacity_)) return -1;
  return static_cast<int>(off / kCellStride);
}

void SGpSpriteCellPool::Released(const SGpSpriteCell* cell) {
  const int i = IndexOf(cell);
  if (i < 0 || !used_[static_cast<size_t>(i)]) return;
  used_[static_cast<size_t>(i)] = 0;
  ++free_;
}

namespace {
// Constructed before, and destroyed after, the objects of default priority.
SGpSpriteCellPool g_spriteCellPool __attribute__((init_priority(200))) (1024);
}  // namespace

SGpSpriteCellPool* GetSpriteCellPool() { return &g_spriteCellPool; }
