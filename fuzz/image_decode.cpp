// Feeds arbitrary bytes to the PNG and JPEG decoders.
#include <cstddef>
#include <cstdint>

#include "platform/image_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image out;
  if (plat::DecodeImage(data, size, &out)) {
    if (out.rgba.size() != static_cast<size_t>(out.width) * out.height * 4) __builtin_trap();
  } else if (!out.rgba.empty()) {
    __builtin_trap();
  }
  return 0;
}
