#include "game/core/ChainCounter.h"

ChainCounter g_ChainCounter;
