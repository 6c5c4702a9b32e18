#pragma once
// Boss type 7 (storm and thunder): game/enemy/boss07.
#include "game/enemy/boss07/EnemyType7.h"
