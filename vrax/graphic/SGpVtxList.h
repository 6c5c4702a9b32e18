#pragma once
// The holders of the device lists the primitives draw from: SGpVtxList holds
// the vertex lists (device vertex buffers), SGpVtxListB the index lists. A
// primitive creates its lists in them and gives each back when it lets it
// go; what is still held when a holder ends, at program exit after every
// other global object, its destructor releases. One instance of each exists
// before the main function, sized for 1024 lists (more are taken as needed).
#include <cstdint>
#include <vector>

#include "platform/gfx_device.h"

template <class List>
class SGpListHolder {
 public:
  explicit SGpListHolder(int capacity) { lists_.reserve(static_cast<size_t>(capacity)); }
  ~SGpListHolder() {
    for (List* l : lists_) l->Release();
  }
  SGpListHolder(const SGpListHolder&) = delete;
  SGpListHolder& operator=(const SGpListHolder&) = delete;

  // Gives a list back and releases it; a list the holder does not hold
  // (or null) is left alone.
  void Release(List* list) {
    for (size_t i = 0; i < lists_.size(); ++i) {
      if (lists_[i] != list) continue;
      lists_[i] = lists_.back();
      lists_.pop_back();
      list->Release();
      return;
    }
  }
  int Count() const { return static_cast<int>(lists_.size()); }

 protected:
  // Holds a list the device created (null: nothing).
  List* Hold(List* list) {
    if (list != nullptr) lists_.push_back(list);
    return list;
  }

 private:
  std::vector<List*> lists_;
};

class SGpVtxList : public SGpListHolder<plat::VertexBuffer> {
 public:
  static constexpr int kCapacity = 1024;
  explicit SGpVtxList(int capacity) : SGpListHolder(capacity) {}
  // A vertex list of `bytes` in format fvf on the device, held; null when
  // the device refuses it.
  plat::VertexBuffer* Create(plat::GfxDevice* dev, uint32_t bytes, uint32_t fvf) {
    plat::VertexBuffer* list = nullptr;
    return dev->CreateVertexBuffer(bytes, fvf, &list) < 0 ? nullptr : Hold(list);
  }
};

class SGpVtxListB : public SGpListHolder<plat::IndexBuffer> {
 public:
  static constexpr int kCapacity = 1024;
  explicit SGpVtxListB(int capacity) : SGpListHolder(capacity) {}
  // An index list of `bytes` on the device, held; null when refused.
  plat::IndexBuffer* Create(plat::GfxDevice* dev, uint32_t bytes) {
    plat::IndexBuffer* list = nullptr;
    return dev->CreateIndexBuffer(bytes, &list) < 0 ? nullptr : Hold(list);
  }
};

// The two instances.
SGpVtxList& GetVtxList();
SGpVtxListB& GetVtxListB();
