#pragma once
// Creating a child process that may fail: the object is made without
// throwing and added to a child list of its parent, which runs its
// EVENT_INIT at once. Nothing is added when the allocation fails, and an
// object its parent did not take is deleted again, so no caller ever adds
// a null child or loses one. Keep the result as an SHandle (LiveProc reads
// it as null once the child has killed itself).
#include <new>
#include <utility>

#include "vrax/kernel/SProc.h"

// The new child, or null when it could not be made or added.
template <class T, class... Args>
T* SpawnChild(SProc* parent, int32_t list, SProcArg arg, Args&&... args) {
  if (parent == nullptr) return nullptr;
  T* child = new (std::nothrow) T(std::forward<Args>(args)...);
  if (child == nullptr) return nullptr;
  parent->AddChild(list, child, arg);
  if (child->GetParent() == nullptr) {
    delete child;
    return nullptr;
  }
  return child;
}

// Handles on a fixed number of child processes a script keeps (satellites,
// companions): a slot is empty when its child could not be made, and reads
// empty once the child has ended. ForEach visits only the living ones.
template <class T, int N>
class ChildSlots {
 public:
  void Set(int i, T* child) {
    if (i >= 0 && i < N) slots_[i].Set(child);
  }
  void Clear() {
    for (auto& s : slots_) s.Reset();
  }
  // The child in slot i while it takes part in frames, else null.
  T* Live(int i) const { return i >= 0 && i < N ? LiveProc(slots_[i]) : nullptr; }
  // fn(child, i) for every living child, in slot order.
  template <class Fn>
  void ForEach(Fn&& fn) const {
    for (int i = 0; i < N; ++i)
      if (T* c = LiveProc(slots_[i])) fn(*c, i);
  }
  int LiveCount() const {
    int n = 0;
    ForEach([&n](T&, int) { ++n; });
    return n;
  }

 private:
  SHandle<T> slots_[N];
};
