// libFuzzer entry point for the camera path (".cam") parser, within a
// budget of 1 MB: the keys it makes never take more than it charged.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/load_bytes.h"
#include "game/stage/CamRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<CamKey> keys;
  LoadBudget budget(uint64_t(1) << 20);
  fuzzsupport::LoadBytes::Begin();
  const bool ok = ParseCameraPath(data, size, &keys, &budget);
  if (fuzzsupport::LoadBytes::End() > budget.Used() + fuzzsupport::LoadBytes::kSlack) __builtin_trap();
  if (ok && 4 + keys.size() * 28 > size) __builtin_trap();
  return 0;
}
