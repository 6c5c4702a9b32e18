#pragma once
// Boss type 5 (fan emitter and glows): game/enemy/boss05.
#include "game/enemy/boss05/EnemyType5.h"
