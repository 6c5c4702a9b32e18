#pragma once
// Boss type 13 (streamers and sprite launch). Its own behaviour is not built yet: the stand-in form of
// EnemyStandIn.h.
#include "game/enemy/EnemyStandIn.h"

ENEMY_STAND_IN(13);
