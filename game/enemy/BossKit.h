#pragma once
// What the boss scripts share beyond the toolkit: a shot generator built
// from one row of its 25 construction values, the sounds under the game's
// sound rule, and the world points of model nodes that the scripts fire
// from (kept up to date by the boss itself each frame, whatever is drawn).
#include <cstdint>

#include "game/core/SplineMover.h"
#include "game/effect/EShotGen.h"
#include "game/effect/EShotMotion.h"
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

// Builds the generator firing from `pos` (held by `holder`: once it is gone
// the last position is kept) and adds it to child list `list` of `owner`.
// Null when it could not be made or added.
EShotGen* AddShotGen(SProc* owner, int32_t list, const float* pos, const ShotGenArgs& a, SObject* holder);

// Sound effect and voice n under the game's sound rule; stopping a voice.
void BossSe(int32_t n, int32_t level);
void BossVoice(int32_t n, int32_t level);
void BossStopVoice(int32_t n);

// The world translation row (x, y, z, w) of node n of the enemy's model,
// which UpdateNodeWorlds keeps; a node the model lacks reads as a point
// that stays at the origin.
float* NodePoint(EnemyBase* e, int32_t n);
// Computes the world matrices of the kept nodes of the enemy's model from
// its placement (the boss's own frame step, independent of the drawing).
void UpdateNodeWorlds(EnemyBase* e);

// A two-key path from `from` to `to` in `frames` frames (tangents of
// tension and bias 0 from the two points); the mover is cleared first.
void PathTo(SplineMover& mover, const float* from, const float* to, float frames);
// The enemy sends itself user event 8 when it has been alive longer than its
// chain frame limit (the self-defeat of the time checks); true then.
bool DefeatWhenOverTime(EnemyBase* e);
