#include "game/core/ChainCounter.h"

// g_ChainCounter is defined with the other global objects, in their order
// (game/core/GlobalObjects.cpp).
