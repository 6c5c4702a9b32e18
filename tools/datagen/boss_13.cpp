// Boss type 13's stand-in data. Its script picks animation stretches by
// route entry (0 the idle loop, 1 to 6 the orbit and loop, 13 to 19 the
// rings, streams and swing, 20 the wreck); none of its timing waits for
// them.
#include "tools/datagen/boss_data.h"

namespace datagen {

void AddBoss13(StageScriptBuilder& b, EnemyParam& p) {
  constexpr int32_t kRoutes = 113;
  p.defeatMode = 3;  // the wreck stays for its defeat show
  p.hitRadius = 56.0f;
  p.routeTableId = kRoutes;
  RouteTable& t = b.Routes(kRoutes, {});
  t.entries.assign(31, RouteEntry{0, 0.0f, 60.0f, 1, 1.0f});
  for (int i = 1; i <= 19; ++i) t.entries[size_t(i)] = RouteEntry{0, 10.0f * float(i), 10.0f * float(i) + 30.0f, 1, 1.0f};
  t.entries[20] = RouteEntry{0, 245.0f, 300.0f, 0, 0.5f};
}

}  // namespace datagen
