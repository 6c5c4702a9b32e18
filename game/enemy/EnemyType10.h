#pragma once
// Boss type 10 (game/enemy/boss10).
#include "game/enemy/boss10/Boss10.h"
