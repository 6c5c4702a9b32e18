// Feeds arbitrary bytes to the BMP reader: the header check, then SDL's
// decoder for what passes it.
#include <cstddef>
#include <cstdint>

#include "platform/dds_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  plat::Image out;
  if (plat::DecodeBmp(data, size, &out)) {
    if (out.rgba.size() != static_cast<size_t>(out.width) * out.height * 4) __builtin_trap();
  } else if (!out.rgba.empty()) {
    __builtin_trap();
  }
  return 0;
}
