#pragma once
// Fixed-capacity pools of equal cells for everything that is spawned in
// numbers during play (shots, bullets, effects, items, scene elements).
//
// One block of storage is taken when the owning manager initialises the pool;
// spawning constructs an element in a free cell, releasing runs the element's
// destructor in place and gives the cell back. Nothing is allocated or freed
// per element, and a full pool simply refuses (Acquire returns null).
//
// Every pooled element carries an owner word as its last field: the pool that
// holds it while it lives, 0 while its cell is free. The pool finds free cells
// by that word, and the element's destructor clears it.
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "vrax/kernel/SObject.h"

// The raw storage of one pool: capacity + 1 cells (the spare cell pays for
// rounding the base up to 32 bytes), zero-filled.
class ObjPoolAlloc {
 public:
  ObjPoolAlloc() = default;
  virtual ~ObjPoolAlloc() = default;
  ObjPoolAlloc(const ObjPoolAlloc&) = delete;
  ObjPoolAlloc& operator=(const ObjPoolAlloc&) = delete;

  // Sizes the storage for n cells of cellSize bytes (a multiple of 32).
  // 0, or -1 when the storage cannot be had (the old storage is then kept).
  virtual int32_t Init(int32_t n, size_t cellSize);
  virtual int32_t Capacity() const { return capacity_; }

  uint8_t* Base() const { return base_; }
  size_t CellSize() const { return cellSize_; }
  void Free();

 private:
  std::vector<uint8_t> bytes_;
  uint8_t* base_ = nullptr;
  size_t cellSize_ = 0;
  int32_t capacity_ = 0;
};

// What every pool shares, whatever its element type: the free count, the
// search cursor and the storage. An element's destructor reaches its pool
// through this class to give its cell back.
class ObjPoolBase {
 public:
  ObjPoolBase() = default;
  virtual ~ObjPoolBase() = default;
  ObjPoolBase(const ObjPoolBase&) = delete;
  ObjPoolBase& operator=(const ObjPoolBase&) = delete;

  virtual int32_t Capacity() const { return alloc_.Capacity(); }
  virtual int32_t FreeCount() const { return free_; }
  int32_t Cursor() const { return cursor_; }
  // Index of the cell that holds p, or -1 when p is not a cell of this pool.
  int32_t IndexOf(const void* p) const;

  // Called by an element's destructor (through its owner word).
  void GiveBack() { ++free_; }

  // The pool whose Acquire is constructing an element right now: the element
  // base takes it as its owner word (elements built elsewhere get 0).
  static ObjPoolBase* TakeConstructing() {
    ObjPoolBase* p = s_constructing;
    s_constructing = nullptr;
    return p;
  }

 protected:
  // Index of the first cell from the cursor to the end, then from 0 to the
  // cursor, whose owner word (at ownerOffset) is 0; -1 when none.
  int32_t FindFree(size_t ownerOffset) const;
  ObjPoolBase* OwnerAt(int32_t i, size_t ownerOffset) const;
  void SetOwnerAt(int32_t i, size_t ownerOffset, ObjPoolBase* owner);

  int32_t free_ = 0;
  int32_t cursor_ = 0;
  ObjPoolAlloc alloc_;

  static ObjPoolBase* s_constructing;
};

// The pooled-element base: Base (SObject, or a class derived from it such as
// HitBody) plus the Release operation and the owner word. Its destructor
// gives the cell back first, then the base destructors run (a HitBody then
// unlinks itself from its group).
template <class Base>
class PooledOf : public Base {
 public:
  PooledOf() : poolOwner_(ObjPoolBase::TakeConstructing()) {}
  ~PooledOf() override {
    if (poolOwner_ != nullptr) {
      ObjPoolBase* p = poolOwner_;
      poolOwner_ = nullptr;
      p->GiveBack();
    }
  }
  // Called by the owning manager with 1: runs the element's destructor in
  // place; the storage stays the pool's.
  virtual void Release(int32_t /*flag*/) { this->~PooledOf(); }

  ObjPoolBase* GetPoolOwner() const { return poolOwner_; }

  // Pooled elements live only in pool storage or as members/locals.
  static void* operator new(size_t, void* where) { return where; }
  static void* operator new(size_t) = delete;
  static void operator delete(void*) {}

  // The owner word: last field, 0 while the cell is free.
  ObjPoolBase* poolOwner_;
};

using PoolElement = PooledOf<SObject>;

// A pool of elements of type T (T derives from PooledOf<something>).
template <class T>
class ObjPool : public ObjPoolBase {
 public:
  // Cells are the element's size rounded up to 32 bytes.
  static constexpr size_t kCellSize = (sizeof(T) + 31) / 32 * 32;

  ObjPool() = default;
  ~ObjPool() override {
    DestroyAll();
    alloc_.Free();
  }

  // Sizes the pool for n elements; live elements are released first.
  // 0, or -1 when the storage is not available (free count and capacity are
  // then as they were). The cursor is kept.
  virtual int32_t Init(int32_t n) {
    if (n < 0) return -1;
    if (Capacity() > 0) DestroyAll();
    if (alloc_.Init(n, kCellSize) != 0) return -1;
    free_ = n;
    for (int32_t i = n - 1; i >= 0; --i) SetOwnerAt(i, OwnerOffset(), nullptr);
    return 0;
  }

  // Releases every live element, last cell first; free count = capacity,
  // cursor 0.
  virtual void DestroyAll() {
    for (int32_t i = Capacity() - 1; i >= 0; --i) {
      if (OwnerAt(i, OwnerOffset()) != nullptr) At(i)->Release(1);
    }
    free_ = Capacity();
    cursor_ = 0;
  }

  // A default-constructed element in the first free cell from the cursor on
  // (wrapping), or null when the pool is full or not yet sized.
  virtual T* Acquire() {
    if (free_ <= 0) return nullptr;
    const int32_t i = FindFree(OwnerOffset());
    if (i < 0) return nullptr;
    cursor_ = i + 1;
    if (cursor_ >= Capacity()) cursor_ = 0;
    --free_;
    s_constructing = this;
    T* e = ::new (static_cast<void*>(CellAt(i))) T();
    s_constructing = nullptr;
    e->poolOwner_ = this;
    return e;
  }

  // The element in cell i (only meaningful while its owner word is set).
  T* At(int32_t i) const { return std::launder(reinterpret_cast<T*>(CellAt(i))); }
  bool InUse(int32_t i) const { return OwnerAt(i, OwnerOffset()) != nullptr; }

 private:
  uint8_t* CellAt(int32_t i) const { return alloc_.Base() + static_cast<size_t>(i) * kCellSize; }
  static size_t OwnerOffset() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
    return offsetof(T, poolOwner_);
#pragma GCC diagnostic pop
  }
};
