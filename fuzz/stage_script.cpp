// libFuzzer entry point for the stage script (".stg"): the whole load, the
// parse with its links and its lines for references that name nothing, as
// the resource runs it, so that the fuzzer's time and memory limits catch a
// load whose cost outgrows its file. Every reference it links must point
// into the script's own tables, at an element of the id it names.
#include <cstddef>
#include <cstdint>

#include "game/stage/ScriptStgRsc.h"
#include "platform/message_box.h"

namespace {
template <class T>
bool Inside(const T* p, const std::vector<T>& v) {
  return p == nullptr || (p >= v.data() && p < v.data() + v.size());
}
}  // namespace

// The error lines of damaged scripts stay off the log.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  plat::SetMessageBoxQuiet(true);
  return 0;
}

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
  for (const EnemySpawnRecord& r : s.timeline) {
    if (!Inside(r.param, s.params) || !Inside(r.script, s.scripts)) __builtin_trap();
    if ((r.param != nullptr && r.param->id != r.argument) || (r.script != nullptr && r.script->id != uint32_t(r.jump)))
      __builtin_trap();
  }
  return 0;
}
