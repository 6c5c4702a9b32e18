#pragma once
// Boss type 12 (game/enemy/boss12).
#include "game/enemy/boss12/Boss12.h"
