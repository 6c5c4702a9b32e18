#pragma once
// Small-enemy sprite tables: "\enemy\osr_se00" to "\enemy\osr_se11".
#include "game/tables/image_slots.h"
