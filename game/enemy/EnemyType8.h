#pragma once
// Boss type 8 (gun mounts).
#include "game/enemy/boss08/EnemyType8.h"
