// libFuzzer entry point for the stage script (".stg"): the whole load, the
// parse with its links and its lines for references that name nothing and
// for loops that never wait, as the resource runs it, within a budget of
// 1 MB: what it makes never takes more than it charged. Every reference it
// links must point into the script's own tables, at an element of the id
// it names; the timeline, run from every record with no rail and no
// enemies, never comes back to a record without passing one that waits.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/load_bytes.h"
#include "game/enemy/EnemySet.h"
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
  LoadBudget budget(uint64_t(1) << 20);
  fuzzsupport::LoadBytes::Begin();
  const bool ok = ParseStageScript(data, size, &s, &budget);
  if (fuzzsupport::LoadBytes::End() > budget.Used() + fuzzsupport::LoadBytes::kSlack) __builtin_trap();
  if (!ok) return 0;
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
  // From each record, the moves a frame may make at once (every jump taken
  // or not, as either can happen) through records that do not wait: none
  // comes back to where it started.
  const size_t n = s.timeline.size();
  std::vector<uint8_t> seen(n);
  std::vector<size_t> stack;
  for (size_t start = 0; start < n && n <= 512; ++start) {
    std::fill(seen.begin(), seen.end(), 0);
    stack.assign(1, start);
    while (!stack.empty()) {
      const size_t i = stack.back();
      stack.pop_back();
      const EnemySpawnRecord& r = s.timeline[i];
      if (!(r.delay <= 0.0f)) continue;  // waits: the frame ends here
      int64_t next[2] = {-1, -1};
      const int64_t jump = r.timelessLoop ? 1 : int64_t(r.jump);
      switch (r.Op()) {
        case EnemySet::OP_JUMP: next[0] = int64_t(i) + jump; break;
        case EnemySet::OP_WHILE_ENEMIES:
        case EnemySet::OP_WHILE_SECTION: next[0] = int64_t(i) + 1, next[1] = int64_t(i) + jump; break;
        case EnemySet::OP_WHILE_NAMED:  // without its parameter it never jumps
          next[0] = int64_t(i) + 1, next[1] = r.param != nullptr ? int64_t(i) + jump : -1;
          break;
        case EnemySet::OP_END: break;
        case EnemySet::OP_WAIT_RAIL:
        case EnemySet::OP_CLEAR:
        case EnemySet::OP_LOOP_POINT:
        case EnemySet::OP_SPAWN: next[0] = int64_t(i) + 1; break;
        default: break;  // stays until the next frame
      }
      for (int64_t j : next) {
        if (j < 0 || j >= int64_t(n) || size_t(j) == i) continue;
        if (size_t(j) == start) __builtin_trap();
        if (seen[size_t(j)] == 0) seen[size_t(j)] = 1, stack.push_back(size_t(j));
      }
    }
  }
  return 0;
}
