// libFuzzer entry point: arbitrary bytes as the draw-state file
// ("draw_states.bin"), read as they are and again with their CRC made
// right (so that the records' checks are reached). A file that reads is
// written back byte for byte.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx_draw_states.h"

namespace {

void ReadAndWriteBack(const uint8_t* data, size_t size) {
  std::vector<plat::DrawStateKey> keys;
  if (!plat::ReadDrawStates(data, size, &keys)) {
    if (!keys.empty()) __builtin_trap();
    return;
  }
  const std::vector<uint8_t> again = plat::WriteDrawStates(keys);
  if (again.size() != size || !std::equal(again.begin(), again.end(), data)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadAndWriteBack(data, size);
  if (size < 4) return 0;
  std::vector<uint8_t> fixed(data, data + size);
  const uint32_t crc = static_cast<uint32_t>(crc32(0, fixed.data(), static_cast<uInt>(size - 4)));
  for (int i = 0; i < 4; ++i) fixed[size - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
  ReadAndWriteBack(fixed.data(), fixed.size());
  return 0;
}
