#pragma once
// A resource slot that outlives the frame it was filled in: a resource table
// row whose target is a slot (SRscRequest built from Target()) hands the new
// resource to the slot as soon as it is created, and the slot keeps it as a
// checked handle, so a resource that is released later reads as null instead
// of as freed memory. A resource of another kind than T is not taken.
#include <type_traits>

#include "vrax/kernel/SHandle.h"
#include "vrax/resource/SRsc.h"

// What a resource table row fills: the slots' common face.
class SRscSlotBase {
 public:
  constexpr SRscSlotBase() = default;
  SRscSlotBase(const SRscSlotBase&) = delete;
  SRscSlotBase& operator=(const SRscSlotBase&) = delete;
  // Takes rsc when it is of the slot's kind; anything else empties the slot.
  virtual void Put(SRsc* rsc) = 0;

 protected:
  ~SRscSlotBase() = default;
};

// Where a resource table row puts the resource it creates: a plain pointer
// (the table's owner reads it while the resource lives) or a slot. A null
// target ends a table.
class SRscTarget {
 public:
  constexpr SRscTarget() = default;
  constexpr SRscTarget(std::nullptr_t) {}         // NOLINT: table end rows
  constexpr SRscTarget(SRsc** raw) : raw_(raw) {}  // NOLINT: rows written as &pointer
  constexpr explicit SRscTarget(SRscSlotBase* slot) : slot_(slot) {}

  explicit operator bool() const { return raw_ != nullptr || slot_ != nullptr; }
  void Put(SRsc* rsc) const {
    if (slot_ != nullptr) slot_->Put(rsc);
    if (raw_ != nullptr) *raw_ = rsc;
  }

 private:
  SRsc** raw_ = nullptr;
  SRscSlotBase* slot_ = nullptr;
};

template <class T>
class SRscSlot : public SRscSlotBase {
  static_assert(std::is_base_of_v<SRsc, T>, "resource slots hold resources");

 public:
  constexpr SRscSlot() = default;
  // The target of a resource table row that fills this slot.
  SRscTarget Target() { return SRscTarget(this); }
  void Put(SRsc* rsc) override { handle_.Set(dynamic_cast<T*>(rsc)); }
  // Fills the slot directly.
  void Set(T* rsc) { handle_.Set(rsc); }
  void Reset() { handle_.Reset(); }
  // The resource while it exists, whatever its status; null when empty.
  T* Get() const { return handle_.Get(); }
  // The resource while it exists and is ready; null otherwise.
  T* Ready() const {
    T* r = Get();
    return r != nullptr && r->GetStatus() == kRscReady ? r : nullptr;
  }

 private:
  SHandle<T> handle_;
};
