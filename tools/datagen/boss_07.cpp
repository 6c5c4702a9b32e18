// Boss type 7's record: its stretches (0 the idle loop, 1 to 6 the sway,
// 20 and 21 the entrance, 22 the defeat) and its hit circle.
#include "tools/datagen/boss_data.h"

namespace datagen {

void AddBoss07(StageScriptBuilder& b, EnemyParam& p) {
  BossRoutes(b, p, 31, 30.0f, {0});
  p.hitRadius = 70.0f;
}

}  // namespace datagen
