#include "game/enemy/boss08/EnemyType8.h"

B006Parts::B006Parts(EnemyType8* boss) : BossMountParts(boss, kKind) {}
