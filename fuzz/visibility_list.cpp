// libFuzzer entry point for the visibility list (".ovl") parser and the
// visibility rules over it, with a list of 8 objects.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/stage/ObjOvlRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<VisibilityStep> steps;
  if (!ParseVisibilityList(data, size, &steps)) return 0;
  uint32_t flags[8] = {};
  auto toggle = [&flags](uint32_t i) {
    if (i < 8) flags[i] ^= 1;
  };
  int32_t cursor = 0;
  VisibilityRecompute(steps, 100, &cursor, toggle);
  for (int32_t key = 100; key < 110; ++key) VisibilityAdvance(steps, key, &cursor, toggle);
  if (cursor < 0 || size_t(cursor) > steps.size()) __builtin_trap();
  return 0;
}
