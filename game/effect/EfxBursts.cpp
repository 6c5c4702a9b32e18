#include "game/effect/EfxBursts.h"

void EfxDrawRing(const SVec4*, float, bool) {}
void EfxGlowSpot(const SVec4*, float, int32_t) {}
void EfxBurstA(const SMatrix*, float, float, float, float, int32_t) {}
void EfxBurstB(const SMatrix*, float, float, float, float, int32_t) {}
void EfxBurstE(const SVec4*, float, bool) {}
void EfxBurstF(const SVec4*, float, bool) {}
