// Boss type 15's record: its stretches (0 the idle loop, 1 the descent, 2
// the loop it waits on between attacks, 9 to 16 the attacks' and the
// wreck's single runs, 17 the wreck's last loop), its hit circle, and
// bullet path 8, on which the orbiting satellites' shots slow down and turn.
#include "tools/datagen/boss_data.h"

namespace datagen {

void AddBoss15(StageScriptBuilder& b, EnemyParam& p) {
  BossRoutes(b, p, 31, 30.0f, {0, 2, 12, 17});
  p.hitRadius = 60.0f;
  b.BulletPath(8, {EShotMotion{40, 0x101, 0.0f, 0.125f, 0.0f, -1.5f, nullptr},
                   EShotMotion{600, 0x1, 0.0f, 0.0f, 0.0f, 1.5f, nullptr}});
}

}  // namespace datagen
