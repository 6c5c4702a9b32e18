#pragma once
// One-shot bursts that boss companions throw at hits, flashes and deaths:
// each throws a whole burst of sprite particles into EfxMan in one call.
// (EfxBurstC and EfxBurstD paint brushes instead and are operations of
// ScriptedProc.)
#include <cstdint>

#include "vrax/graphic/SMath.h"

// A ring of smoke with green sparks and falling grey flakes.
void EfxDrawRing(const SVec4* pos, float size, bool glow);
// One green glow fading out over lifeB frames.
void EfxGlowSpot(const SVec4* pos, float size, int32_t lifeB);
// A jet of count white particles along the placement's local -z at once.
void EfxBurstA(const SMatrix* placement, float spread0, float spread1, float damping, float size, int32_t count);
// The same jet, green and narrower.
void EfxBurstB(const SMatrix* placement, float spread0, float spread1, float damping, float size, int32_t count);
// A flash of five animated frames and four green streaks.
void EfxBurstE(const SVec4* pos, float size, bool glow);
// The same with a larger flash and another streak animation.
void EfxBurstF(const SVec4* pos, float size, bool glow);
