#pragma once
// Random floats of the shot and effect code, from the game's one generator.
#include "platform/crt_rand.h"

// rand() / 32767: 0 to 1 inclusive.
inline float RandF() { return static_cast<float>(plat::Rand()) / 32767.0f; }
// RandF() - 0.5.
inline float RandFS() { return RandF() - 0.5f; }
