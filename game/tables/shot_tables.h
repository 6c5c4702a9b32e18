#pragma once
// Player shot, option and enemy-shot sprite tables.
#include "game/tables/image_slots.h"
