#pragma once
// Boss type 8 (gun mounts). Its own behaviour is not built yet: the stand-in form of
// EnemyStandIn.h.
#include "game/enemy/EnemyStandIn.h"

ENEMY_STAND_IN(8);
