#pragma once
// Boss type 4 (armoured core with parts).
#include "game/enemy/boss04/EnemyType4.h"
