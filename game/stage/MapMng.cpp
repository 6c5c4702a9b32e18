#include "game/stage/MapMng.h"


// g_MapMng is defined with the other global objects, in their order
// (game/core/GlobalObjects.cpp).
