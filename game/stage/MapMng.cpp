#include "game/stage/MapMng.h"

MapMng g_MapMng;
