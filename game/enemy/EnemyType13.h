#pragma once
// Boss type 13 (streamers and sprite launch): game/enemy/boss13.
#include "game/enemy/boss13/EnemyType13.h"
