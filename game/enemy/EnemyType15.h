#pragma once
// Boss type 15 (light shafts and shot bounce). Its own behaviour is not built yet: the stand-in form of
// EnemyStandIn.h.
#include "game/enemy/EnemyStandIn.h"

ENEMY_STAND_IN(15);
