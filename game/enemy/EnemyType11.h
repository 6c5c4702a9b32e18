#pragma once
// Boss type 11 (game/enemy/boss11).
#include "game/enemy/boss11/Boss11.h"
