#pragma once
// Boss type 14 (satellites and ring emitters): game/enemy/boss14.
#include "game/enemy/boss14/EnemyType14.h"
