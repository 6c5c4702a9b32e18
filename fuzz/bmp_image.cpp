// Feeds arbitrary bytes to the BMP reader (the header check, then SDL's
// decoder for what passes it) and what it decodes to a texture, as the
// count-down renderer does with a side image (on the null device).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/dds_image.h"
#include "platform/gfx_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::unique_ptr<plat::GfxDevice> device = plat::CreateNullGfxDevice(plat::DeviceParams{});
  plat::Image out;
  if (plat::DecodeBmp(data, size, &out)) {
    if (out.rgba.size() != static_cast<size_t>(out.width) * out.height * 4) __builtin_trap();
    plat::Texture* texture = nullptr;
    if (device->CreateTextureFromImage(std::move(out), &texture) >= 0 && texture != nullptr) texture->Release();
  } else if (!out.rgba.empty()) {
    __builtin_trap();
  }
  return 0;
}
