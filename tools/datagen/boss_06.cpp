// Boss type 6's record: its stretches (0 the idle loop; 13 to 15 the
// shadow phases, which its shadows play too; 21 and 22 the defeat, which
// the script waits to see played through).
#include "tools/datagen/boss_data.h"

namespace datagen {

void AddBoss06(StageScriptBuilder& b, EnemyParam& p) {
  BossRoutes(b, p, 31, 30.0f, {0});
  p.hitRadius = 60.0f;
}

}  // namespace datagen
