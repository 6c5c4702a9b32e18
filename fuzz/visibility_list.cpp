// libFuzzer entry point for the visibility list (".ovl") parser, within a
// budget of 1 MB (the steps it makes never take more than it charged), and
// the visibility rules over it with a list of 8 objects: a jump to key 100,
// then keys that mostly rise and sometimes fall, each frame's step against
// the rules worked without the search's memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/load_bytes.h"
#include "game/stage/ObjOvlRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<VisibilityStep> steps;
  LoadBudget budget(uint64_t(1) << 20);
  fuzzsupport::LoadBytes::Begin();
  const bool ok = ParseVisibilityList(data, size, &steps, &budget);
  if (fuzzsupport::LoadBytes::End() > budget.Used() + fuzzsupport::LoadBytes::kSlack) __builtin_trap();
  if (!ok) return 0;
  uint32_t flags[8] = {}, plain[8] = {};
  auto toggle = [&flags](uint32_t i) {
    if (i < 8) flags[i] ^= 1;
  };
  VisibilityCursor cursor;
  VisibilityRecompute(steps, 100, &cursor, toggle);
  std::copy(flags, flags + 8, plain);
  size_t plainCursor = size_t(cursor.next);
  for (int32_t frame = 0, key = 100; frame < 40; ++frame) {
    key += frame % 7 == 6 ? -3 : 1;
    VisibilityAdvance(steps, key, &cursor, toggle);
    for (size_t i = plainCursor; i < steps.size(); ++i) {
      if (steps[i].key < key) continue;
      if (steps[i].key == key) {
        for (uint32_t k : steps[i].indices)
          if (k < 8) plain[k] ^= 1;
        plainCursor = i + 1;
      }
      break;
    }
    if (size_t(cursor.next) != plainCursor) __builtin_trap();
    for (int i = 0; i < 8; ++i)
      if (flags[i] != plain[i]) __builtin_trap();
  }
  return 0;
}
