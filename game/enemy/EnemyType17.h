#pragma once
// Scripted event enemy type 17. Its own behaviour is not built yet: the
// stand-in form of EnemyStandIn.h (its behaviour object has no spline mover).
#include "game/enemy/EnemyStandIn.h"

ENEMY_STAND_IN_CLASSES(17, );
