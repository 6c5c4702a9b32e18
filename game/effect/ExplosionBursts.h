#pragma once
// Explosions composed of effect sprites and rings around one position: the
// player-side blast, the small and large enemy deaths, and the same two sizes
// in a second colour scheme closed by an expanding ring. Every random number
// is one rand() call in a fixed order (replays depend on it).
#include "vrax/graphic/SMath.h"

void SpawnExplosionBurst(const SVec4* pos);
void SpawnExplosionSmall(const SVec4* pos);
void SpawnExplosionLarge(const SVec4* pos);
void SpawnExplosionSmall2(const SVec4* pos);
void SpawnExplosionLarge2(const SVec4* pos);
