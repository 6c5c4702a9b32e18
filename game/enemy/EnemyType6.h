#pragma once
// Boss type 6 (pods, shadows, arms and cables): game/enemy/boss06.
#include "game/enemy/boss06/EnemyType6.h"
