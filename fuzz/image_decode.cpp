// Feeds arbitrary bytes to the PNG and JPEG decoders, and what they decode
// to a texture, as the image resource does with a texture file (on the null
// device).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/gfx_device.h"
#include "platform/image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::unique_ptr<plat::GfxDevice> device = plat::CreateNullGfxDevice(plat::DeviceParams{});
  plat::Image out;
  if (plat::DecodeImage(data, size, &out)) {
    if (out.rgba.size() != static_cast<size_t>(out.width) * out.height * 4) __builtin_trap();
    plat::Texture* texture = nullptr;
    if (device->CreateTextureFromImage(std::move(out), &texture) >= 0 && texture != nullptr) texture->Release();
  } else if (!out.rgba.empty()) {
    __builtin_trap();
  }
  return 0;
}
