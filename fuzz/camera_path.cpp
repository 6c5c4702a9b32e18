// libFuzzer entry point for the camera path (".cam") parser.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/stage/CamRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<CamKey> keys;
  if (ParseCameraPath(data, size, &keys) && 4 + keys.size() * 28 > size) __builtin_trap();
  return 0;
}
