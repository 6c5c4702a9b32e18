#pragma once
// Boss type 4 (armoured core with parts). Its own behaviour is not built yet: the stand-in form of
// EnemyStandIn.h.
#include "game/enemy/EnemyStandIn.h"

ENEMY_STAND_IN_FINAL(4);
