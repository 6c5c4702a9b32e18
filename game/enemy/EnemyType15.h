#pragma once
// Boss type 15 (light shafts and shot bounce): game/enemy/boss15.
#include "game/enemy/boss15/EnemyType15.h"
