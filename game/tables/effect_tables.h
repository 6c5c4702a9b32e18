#pragma once
// Effect sprite tables and effect sprite records.
#include "game/tables/image_slots.h"
