#pragma once
// Test and service mode strip tables and page layouts.
#include "game/tables/image_slots.h"
