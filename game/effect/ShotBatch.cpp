#include "game/effect/ShotBatch.h"
