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
// Moves the generator on by n draws at once (the values are not made). The
// state repeats after 2^32 draws, so any count reduced modulo 2^32 (wrapping
// unsigned arithmetic) moves it exactly as that many calls of Rand would.
void RandSkip(uint32_t n);
uint32_t RandSeed();  // the current state, for tests and save/restore

}  // namespace plat
