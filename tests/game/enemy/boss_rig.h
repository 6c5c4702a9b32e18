#pragma once
// A boss of type T spawned at once on the enemy rig with the rigid test
// model: defeat mode 3, its chain frame limit, and a route table of 31
// stretches that each loop over `loop` frames; RunState runs frames until
// its script changes state.
#include <cstdint>
#include <vector>

#include "model_rig.h"

namespace enemytest {

template <class T>
struct BossRig {
  BossRig(int32_t type, int32_t chainLimit = 100000, float loop = 60.0f) {
    EnemyParam& p = m.rig.Param(1, "Boss", type, 500, 100000, 60.0f);
    p.defeatMode = 3;
    p.chainFrameLimit = chainLimit;
    p.routeTableId = 7;
    m.rig.script.routeTables.push_back(RouteTable{7, std::vector<RouteEntry>(31, RouteEntry{0, 0, loop, 1, 1.0f})});
    m.rig.Spawn(0.0f, 1, 0, 0.0f, -150.0f);
    if (m.Load()) boss = dynamic_cast<T*>(m.rig.SpawnNow(0));
  }
  int32_t State() const { return boss->Script().GetState(); }
  // The frames it took (the boss's end counts as a change), -1 after limit.
  int RunState(int limit) {
    const int32_t s = State();
    for (int f = 1; f <= limit; ++f) {
      m.rig.Run();
      if (m.rig.Enemies() == 0 || State() != s) return f;
    }
    return -1;
  }
  ModelRig m;
  T* boss = nullptr;
};

// rand draws that lead from seed a to seed b (-1 beyond 100).
inline int RandDraws(uint32_t a, uint32_t b) {
  for (int n = 0; n <= 100; ++n, a = a * 214013u + 2531011u)
    if (a == b) return n;
  return -1;
}

}  // namespace enemytest
