#pragma once
// More that the boss scripts share (besides BossScript.h): a shot generator
// built from one row of its 25 construction values, the world points of
// model nodes that the scripts fire from (kept up to date by the boss itself
// each frame, whatever is drawn), a two-key path and the time check.
#include <cstdint>

#include "game/core/SplineMover.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EShotMotion.h"
#include "game/enemy/BossScript.h"
#include "game/enemy/EnemyBase.h"

// The 25 values of a script-built shot generator, in construction order:
// flags, hit word, codes A and B, base angle, angle curve from and to,
// speed from and to, shots per step, spread, rows, row width, frames
// between steps, steps per volley, further volleys, frames between volleys,
// offset x and y, an unused word, the muzzle flag, the start delay, the
// motion record, the shot id and a last word without effect.
struct ShotGenArgs {
  uint32_t flags;
  uint32_t hit;
  int32_t codeA, codeB;
  float angle, angleFrom, angleTo, speedFrom, speedTo;
  int32_t ways;
  float spread;
  int32_t rows;
  float rowWidth;
  int32_t stepFrames, steps, volleys, volleyFrames;
  float offsetX, offsetY;
  uint32_t unused, muzzle;
  float delay;
  const EShotMotion* motion;
  int32_t id, last;
};

// BossGen with the row: fires from `pos` (held by `holder`: once it is gone
// the last position is kept), in the boss's child list 0.
EShotGen* AddShotGen(EnemyBase* boss, const float* pos, const ShotGenArgs& a, SObject* holder);

// The world translation row (x, y, z, w) of node n of the enemy's model,
// which UpdateNodeWorlds keeps; a node the model lacks reads as a point
// that stays at the origin.
float* NodePoint(EnemyBase* e, int32_t n);
// Computes the world matrices of the kept nodes of the enemy's model from
// its placement (the boss's own frame step, independent of the drawing).
void UpdateNodeWorlds(EnemyBase* e);

// A two-key path from `from` to `to` in `frames` frames (tangents of
// tension and bias 0 from the two points); the path is cleared first.
void PathTo(SplineMover& path, const float* from, const float* to, float frames);
// The time check: past its limit the boss defeats itself (true); else false.
bool DefeatWhenOverTime(EnemyBase* e);
