#pragma once
// Boss type 3 (wheels and cannons).
#include "game/enemy/boss03/EnemyType3.h"
