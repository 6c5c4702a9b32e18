#pragma once
// What the picture targets check of a decoder's result and do with it: a
// decoded picture holds width x height RGBA pixels and is made into a
// texture on the null device, as the game makes one from it; a picture that
// does not decode leaves nothing.
#include <cstddef>
#include <memory>
#include <utility>

#include "platform/gfx_device.h"

namespace fuzzsupport {

inline void MakeDecodedTexture(bool decoded, plat::Image image) {
  static const std::unique_ptr<plat::GfxDevice> device = plat::CreateNullGfxDevice(plat::DeviceParams{});
  if (!decoded) {
    if (!image.rgba.empty()) __builtin_trap();
    return;
  }
  if (image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4) __builtin_trap();
  plat::Texture* texture = nullptr;
  if (device->CreateTextureFromImage(std::move(image), &texture) >= 0 && texture != nullptr) texture->Release();
}

}  // namespace fuzzsupport
