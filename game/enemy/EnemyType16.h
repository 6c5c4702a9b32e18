#pragma once
// Boss type 16 (game/enemy/boss16).
#include "game/enemy/boss16/Boss16.h"
