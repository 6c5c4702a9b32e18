#pragma once
// Boss type 6 (pods, shadows, arms and cables). Its own behaviour is not built yet: the stand-in form of
// EnemyStandIn.h.
#include "game/enemy/EnemyStandIn.h"

ENEMY_STAND_IN(6);
