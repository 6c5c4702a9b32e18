// libFuzzer entry point for the object placement (".opl") parser, within a
// budget of 1 MB (the objects it makes never take more than it charged),
// and the visible set of its objects: toggled by the input's words and
// walked in order, at a cost that follows the objects shown.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/load_bytes.h"
#include "game/stage/ObjRsc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<PlacedObject> objects;
  LoadBudget budget(uint64_t(1) << 20);
  fuzzsupport::LoadBytes::Begin();
  const bool ok = ParsePlacementList(data, size, &objects, &budget);
  if (fuzzsupport::LoadBytes::End() > budget.Used() + fuzzsupport::LoadBytes::kSlack) __builtin_trap();
  if (ok && 8 + objects.size() * 28 > size) __builtin_trap();
  VisibleSet shown;
  shown.Reset(objects.size());
  std::vector<uint8_t> plain(objects.size(), 0);
  for (size_t at = 0; at + 4 <= size && !objects.empty(); at += 4) {
    const size_t i = size_t(data[at] | data[at + 1] << 8 | data[at + 2] << 16) % (objects.size() + 1);
    shown.Toggle(i);  // the index past the list changes nothing
    if (i < plain.size()) plain[i] ^= 1;
  }
  size_t count = 0;
  for (uint8_t p : plain) count += p;
  size_t last = 0, seen = 0;
  shown.ForEach([&](size_t i) {
    if (i >= plain.size() || plain[i] == 0 || (seen > 0 && i <= last)) __builtin_trap();
    last = i, ++seen;
  });
  if (seen != count || shown.WalkSteps() > (objects.size() + 4095) / 4096 + 2 * count) __builtin_trap();
  return 0;
}
