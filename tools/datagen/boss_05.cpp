// Boss type 5's record: its stretches, each 30 frames and none looping but
// the idle one (0), except the arms' stretches 13 and 14, which pass the
// frames the script flashes the muzzles on (150 to 156 from the 20th frame
// of stretch 13, 180 to 186 from the 20th frame of stretch 14).
#include "tools/datagen/boss_data.h"

namespace datagen {

void AddBoss05(StageScriptBuilder& b, EnemyParam& p) {
  RouteTable& t = BossRoutes(b, p, 31, 30.0f, {0});
  t.entries[13] = RouteEntry{0, 130.0f, 190.0f, 0, 1.0f};
  t.entries[14] = RouteEntry{0, 160.0f, 220.0f, 0, 1.0f};
  p.hitRadius = 50.0f;
}

}  // namespace datagen
