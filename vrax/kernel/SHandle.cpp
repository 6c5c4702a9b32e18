#include "vrax/kernel/SHandle.h"

#include <vector>

namespace {

struct Slot {
  SObject* obj = nullptr;
  uint32_t gen = 1;
  uint32_t nextFree = SHandleTable::kNoSlot;
};

struct Table {
  std::vector<Slot> slots;
  uint32_t freeHead = SHandleTable::kNoSlot;
  uint32_t live = 0;
};

// Never destroyed: objects with static storage may end after every other
// static, and their destructors still drop their slots.
Table& T() {
  static Table* t = new Table;
  return *t;
}

}  // namespace

uint32_t SHandleTable::SlotOf(SObject* obj, uint32_t* generation) {
  Table& t = T();
  uint32_t s = obj->handleSlot_;
  if (s == kNoSlot) {
    if (t.freeHead != kNoSlot) {
      s = t.freeHead;
      t.freeHead = t.slots[s].nextFree;
    } else {
      s = static_cast<uint32_t>(t.slots.size());
      t.slots.emplace_back();
    }
    t.slots[s].obj = obj;
    t.slots[s].nextFree = kNoSlot;
    obj->handleSlot_ = s;
    ++t.live;
  }
  *generation = t.slots[s].gen;
  return s;
}

SObject* SHandleTable::Resolve(uint32_t slot, uint32_t gen) {
  const Table& t = T();
  if (slot >= t.slots.size()) return nullptr;
  const Slot& e = t.slots[slot];
  return e.gen == gen ? e.obj : nullptr;
}

void SHandleTable::Drop(uint32_t slot) {
  Table& t = T();
  if (slot >= t.slots.size()) return;
  Slot& e = t.slots[slot];
  e.obj = nullptr;
  ++e.gen;
  if (e.gen == 0) e.gen = 1;  // generation 0 never names anything
  e.nextFree = t.freeHead;
  t.freeHead = slot;
  --t.live;
}

uint32_t SHandleTable::LiveSlots() { return T().live; }
