#include "game/effect/ExplosionBursts.h"

void SpawnExplosionBurst(const SVec4*) {}
void SpawnExplosionSmall(const SVec4*) {}
void SpawnExplosionLarge(const SVec4*) {}
void SpawnExplosionSmall2(const SVec4*) {}
void SpawnExplosionLarge2(const SVec4*) {}
