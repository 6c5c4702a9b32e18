#pragma once
// Sprite tables of the menu, story and attract scenes.
#include "game/tables/image_slots.h"
