#pragma once
// A resource slot that outlives the frame it was filled in: a resource
// table (SRscRequest) writes the new resource into Target(), and the slot
// turns it into a checked handle at its next read, so a resource that is
// released later reads as null instead of as freed memory. A resource of
// another kind than T is not taken.
#include <type_traits>

#include "vrax/kernel/SHandle.h"
#include "vrax/resource/SRsc.h"

template <class T>
class SRscSlot {
  static_assert(std::is_base_of_v<SRsc, T>, "resource slots hold resources");

 public:
  // Where a resource table writes the resource.
  SRsc** Target() { return &staged_; }
  // Fills the slot directly.
  void Set(T* rsc) {
    staged_ = nullptr;
    handle_.Set(rsc);
  }
  void Reset() {
    staged_ = nullptr;
    handle_.Reset();
  }
  // The resource while it exists, whatever its status; null when empty.
  T* Get() const {
    Adopt();
    return handle_.Get();
  }
  // The resource while it exists and is ready; null otherwise.
  T* Ready() const {
    T* r = Get();
    return r != nullptr && r->GetStatus() == kRscReady ? r : nullptr;
  }
  // Takes over what a table wrote since the last read.
  void Adopt() const {
    if (staged_ == nullptr) return;
    handle_.Set(dynamic_cast<T*>(staged_));
    staged_ = nullptr;
  }

 private:
  mutable SRsc* staged_ = nullptr;
  mutable SHandle<T> handle_;
};
