#pragma once
// The global image slots of the sprite tables. A scene's resource table
// fills a slot when the image loads; the sprite parts keep the slot's
// address and read the image at draw time. The slot holds the image through
// a checked handle, so once the image is released (its scene's group freed,
// or the engine shut down) every reader sees null instead of freed memory.
//
// A slot is also the animated object of its sprite parts' key references:
// applying animation n gives the packet that binds texture n of the image
// it holds.
#include <cstdint>

#include "vrax/graphic/SGpKeyRef.h"
#include "vrax/resource/SRscSlot.h"
#include "vrax/resource/SRsc_Image.h"

class SImageSlot : public SRscSlot<SRsc_Image>, public SGpAnimated {
 public:
  constexpr SImageSlot() = default;
  SImageSlot(const SImageSlot&) = delete;
  SImageSlot& operator=(const SImageSlot&) = delete;

  // Filling a slot directly (tests, tools).
  SImageSlot& operator=(SRsc_Image* image) {
    Set(image);
    return *this;
  }
  // Read as the image it holds (null while none is loaded).
  operator SRsc_Image*() const { return Get(); }  // NOLINT: slots read like the pointers they replace
  SRsc_Image* operator->() const { return Get(); }

  // The texture packet `index` of the image held (SRsc_Image::
  // GetTexturePacket); null while none is loaded.
  SGpObj* ApplyAnim(uint32_t index) override {
    SRsc_Image* image = Get();
    if (image == nullptr) return nullptr;
    // Numbers from 2^31 up are past any list.
    return image->GetTexturePacket(index > uint32_t(INT32_MAX) ? -1 : static_cast<int32_t>(index));
  }
};
