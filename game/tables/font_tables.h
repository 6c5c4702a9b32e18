#pragma once
// Font sheets, fonts and the in-game display's sprite tables.
#include "game/tables/image_slots.h"
