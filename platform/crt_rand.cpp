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

void RandSkip(uint32_t n) {
  // One draw is the map x -> a x + c; 2^i draws compose into (a_i, c_i),
  // squared from one bit of n to the next, and the bits set in n are applied.
  uint32_t a = 214013u, c = 2531011u, mul = 1, add = 0;
  for (; n != 0; n >>= 1) {
    if (n & 1) {
      mul *= a;
      add = add * a + c;
    }
    c = c * a + c;
    a *= a;
  }
  g_seed = g_seed * mul + add;
}

uint32_t RandSeed() { return g_seed; }

}  // namespace plat
