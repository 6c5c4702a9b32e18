// libFuzzer entry point for the stage script (".stg") parser: every
// reference it links must point into the script's own tables.
#include <cstddef>
#include <cstdint>

#include "game/stage/ScriptStgRsc.h"

namespace {
template <class T>
bool Inside(const T* p, const std::vector<T>& v) {
  return p == nullptr || (p >= v.data() && p < v.data() + v.size());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StageScript s;
  if (!ParseStageScript(data, size, &s)) return 0;
  for (const EnemyScript& e : s.scripts) {
    for (const MotionRecord& m : e.motion)
      if (!Inside(m.next, e.motion)) __builtin_trap();
    for (const GeneratorRecord& g : e.generators)
      if (!Inside(g.next, e.generators)) __builtin_trap();
  }
  for (const EnemyParam& p : s.params) {
    for (int32_t i = -1; i < 4; ++i) {
      const RouteEntry* r = p.RouteAt(i, 1);
      if (r != nullptr && !Inside(r, p.routeTable->entries)) __builtin_trap();
    }
  }
  for (const EnemySpawnRecord& r : s.timeline)
    if (!Inside(r.param, s.params) || !Inside(r.script, s.scripts)) __builtin_trap();
  return 0;
}
