#pragma once
// Checked references to objects that may end before their holder: a process
// that kills itself, a pooled shot or effect whose cell is released and
// reused, a sprite request given back to its pool.
//
// Every SObject can be named by a handle. The first handle taken on an object
// gives it a slot in one process-wide table; the object's destructor (which
// runs for heap objects, pool cells and sprite cells alike) frees the slot and
// bumps its generation. A handle is (slot, generation): it reads the object
// only while the slot still holds that generation, so a destroyed object or a
// reused cell reads as null instead of as freed or foreign memory.
//
// Single-threaded: handles are taken and read on the main thread only.
#include <cstdint>
#include <type_traits>

#include "vrax/kernel/SObject.h"

class SHandleTable {
 public:
  static constexpr uint32_t kNoSlot = 0xFFFFFFFFu;

  // The slot naming obj (a new one on first use) and its generation.
  static uint32_t SlotOf(SObject* obj, uint32_t* generation);
  // The object in slot while it has generation gen, else null.
  static SObject* Resolve(uint32_t slot, uint32_t gen);
  // Called by ~SObject: frees the slot and bumps its generation.
  static void Drop(uint32_t slot);
  // Slots in use (objects that have been named and still exist).
  static uint32_t LiveSlots();
};

template <class T>
class SHandle {
  static_assert(std::is_base_of_v<SObject, T>, "handles name SObjects");

 public:
  SHandle() = default;
  SHandle(T* obj) { Set(obj); }  // NOLINT: a handle is made where a pointer was kept

  // Names obj (null clears the handle).
  void Set(T* obj) {
    if (obj == nullptr) {
      Reset();
      return;
    }
    slot_ = SHandleTable::SlotOf(obj, &gen_);
  }
  void Reset() {
    slot_ = SHandleTable::kNoSlot;
    gen_ = 0;
  }

  // The object while it exists, else null.
  T* Get() const { return static_cast<T*>(SHandleTable::Resolve(slot_, gen_)); }
  T* operator->() const { return Get(); }
  explicit operator bool() const { return Get() != nullptr; }
  // True when the handle was never set or was reset (not: the object ended).
  bool Empty() const { return slot_ == SHandleTable::kNoSlot; }

  bool operator==(const SHandle& o) const { return slot_ == o.slot_ && gen_ == o.gen_; }
  bool Names(const T* obj) const { return obj != nullptr && Get() == obj; }

 private:
  uint32_t slot_ = SHandleTable::kNoSlot;
  uint32_t gen_ = 0;
};
