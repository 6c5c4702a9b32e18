#include "platform/crt_rand.h"

namespace plat {
namespace {
uint32_t g_seed = 1;
}

int Rand() {
  g_seed = g_seed * 214013u + 2531011u;
  return static_cast<int>((g_seed >> 16) & 0x7FFF);
}

void SRand(uint32_t seed) { g_seed = seed; }

uint32_t RandSeed() { return g_seed; }

}  // namespace plat
