#include "game/core/ObjPool.h"

#include <cstring>

ObjPoolBase* ObjPoolBase::s_constructing = nullptr;

int32_t ObjPoolAlloc::Init(int32_t n, size_t cellSize) {
  if (n < 0 || cellSize == 0 || cellSize % 32 != 0) return -1;
  const size_t want = (static_cast<size_t>(n) + 1) * cellSize;
  std::vector<uint8_t> bytes;
  try {
    bytes.assign(want, 0);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  if (bytes.size() != want) return -1;
  bytes_ = std::move(bytes);
  const uintptr_t start = reinterpret_cast<uintptr_t>(bytes_.data());
  base_ = bytes_.data() + ((32 - start % 32) % 32);
  cellSize_ = cellSize;
  capacity_ = n;
  return 0;
}

void ObjPoolAlloc::Free() {
  std::vector<uint8_t>().swap(bytes_);
  base_ = nullptr;
  capacity_ = 0;
}

int32_t ObjPoolBase::IndexOf(const void* p) const {
  const uint8_t* b = alloc_.Base();
  const size_t cs = alloc_.CellSize();
  if (b == nullptr || cs == 0) return -1;
  const uint8_t* q = static_cast<const uint8_t*>(p);
  if (q < b) return -1;
  const size_t off = static_cast<size_t>(q - b);
  if (off % cs != 0 || off / cs >= static_cast<size_t>(alloc_.Capacity())) return -1;
  return static_cast<int32_t>(off / cs);
}

ObjPoolBase* ObjPoolBase::OwnerAt(int32_t i, size_t ownerOffset) const {
  ObjPoolBase* owner;
  std::memcpy(&owner, alloc_.Base() + static_cast<size_t>(i) * alloc_.CellSize() + ownerOffset,
              sizeof owner);
  return owner;
}

void ObjPoolBase::SetOwnerAt(int32_t i, size_t ownerOffset, ObjPoolBase* owner) {
  std::memcpy(alloc_.Base() + static_cast<size_t>(i) * alloc_.CellSize() + ownerOffset, &owner,
              sizeof owner);
}

int32_t ObjPoolBase::FindFree(size_t ownerOffset) const {
  const int32_t n = alloc_.Capacity();
  for (int32_t i = cursor_; i < n; ++i)
    if (OwnerAt(i, ownerOffset) == nullptr) return i;
  for (int32_t i = 0; i < cursor_ && i < n; ++i)
    if (OwnerAt(i, ownerOffset) == nullptr) return i;
  return -1;
}
