#include "vrax/graphic/SGpPacket.h"

#include <new>

#include "vrax/io/SysUtil.h"

namespace {
SGpPacket* g_packet = nullptr;
}

SGpPacket* GetGpPacket() { return g_packet; }

SGpPacket::SGpPacket() { g_packet = this; }

SGpPacket::~SGpPacket() {
  if (g_packet == this) g_packet = nullptr;
}

int SGpPacket::Create(int size, uint32_t align) {
  raw_.reset();
  start_ = end_ = cursor_ = nullptr;
  if (size < 0 || align == 0 || (align & (align - 1)) != 0) return -1;
  raw_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
  if (!raw_) return -1;
  uintptr_t addr = reinterpret_cast<uintptr_t>(raw_.get());
  uintptr_t aligned = (addr + (align - 1)) & ~static_cast<uintptr_t>(align - 1);
  end_ = raw_.get() + size;
  start_ = raw_.get() + (aligned - addr);
  if (start_ > end_) start_ = end_;
  cursor_ = start_;
  align_ = align;
  return 0;
}

void* SGpPacket::Alloc(int size) {
  size_t want = size < 0 ? 0 : static_cast<size_t>(size);
  size_t rounded = (want + (align_ - 1)) & ~static_cast<size_t>(align_ - 1);
  if (!cursor_ || size < 0 || rounded > static_cast<size_t>(end_ - cursor_)) {
    FatalError("%s(%d) : %s\n", "VRAX\\Headers\\SGpPacket", 71, "packet allocation error");
    return nullptr;
  }
  void* p = cursor_;
  cursor_ += rounded;
  return p;
}

void SGpPacket::Reset() { cursor_ = start_; }
