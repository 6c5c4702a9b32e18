#pragma once
#include <cstdint>

// The game's one random generator: the classic C-library linear congruence
// (seed = seed * 214013 + 2531011, result = (seed >> 16) & 0x7FFF). Demo
// plays and replays store only inputs, so every random draw must come from
// here and happen in the same order; the host C library's rand() differs and
// is never used.
namespace plat {

constexpr int kRandMax = 0x7FFF;

int Rand();
void SRand(uint32_t seed);
uint32_t RandSeed();  // the current state, for tests and save/restore

}  // namespace plat
