#pragma once
// Boss type 5 (fan emitter and glows). Its own behaviour is not built yet: the stand-in form of
// EnemyStandIn.h.
#include "game/enemy/EnemyStandIn.h"

ENEMY_STAND_IN(5);
