#pragma once
// Random floats of the shot and effect code, from the game's one generator.
// Each call consumes exactly one rand() value; replays depend on the order.
#include "platform/crt_rand.h"

// 1/32767 as a single-precision constant.
inline constexpr float kRandScale = 3.051851e-5f;

// rand() x (1/32767): 0 to 1, both ends reachable (32767 gives 1.0f).
inline float RandF() { return static_cast<float>(plat::Rand()) * kRandScale; }
// RandF() - 0.5: -0.5 to 0.5.
inline float RandFS() { return RandF() - 0.5f; }
