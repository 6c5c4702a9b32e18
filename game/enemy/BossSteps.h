#pragma once
// Steps the boss scripts of types 13, 14 and 15 share beside BossScript.h:
// the time check at the end of an attack, the hover, the screen ramp, and
// shot emitters built from named values or from a table row.
#include <cstdint>

#include "game/effect/EShotGen.h"
#include "game/enemy/BossScript.h"

class EnemyBase;

// The values of a boss's shot emitter (EShotGen's boss form), by name; what
// is not named is 0, except the hit word (5) and the shot id (-1).
struct BossShotGen {
  uint32_t flags = 0;
  uint32_t hitWord = 5;
  int32_t codeA = 0, codeB = 0;
  float angle = 0.0f;
  float curveFrom = 0.0f, curveTo = 0.0f;
  float speedFrom = 0.0f, speedTo = 0.0f;
  int32_t shots = 0;
  float spread = 0.0f;
  int32_t rows = 0;
  float rowWidth = 0.0f;
  int32_t stepFrames = 0;
  int32_t steps = 0;
  int32_t volleys = 0;
  int32_t volleyFrames = 0;
  float offsetX = 0.0f, offsetY = 0.0f;
  float delay = 0.0f;
  const EShotMotion* motion = nullptr;
  int32_t id = -1;
  int32_t last = 0;

  // A new emitter firing from `origin` (memory held by `holder`) in child
  // list 0 of the boss; null when it could not be made.
  EShotGen* Start(EnemyBase* boss, const float* origin, SObject* holder) const;
};

// The emitter of a table row: the 25 values of EShotGen's boss form in
// their order (flags, hit word, codes A and B, angle, curve from and to,
// speed from and to, shots, spread, rows, row width, step interval, steps,
// volleys, volley interval, offsets x and y, two words, start delay, motion
// (0: none), id, last word), firing from `origin` (held by `holder`) in
// child list 0 of the boss; null when it could not be made.
EShotGen* StartShotGen(EnemyBase* boss, const float* origin, SObject* holder, const float (&w)[25]);

// The time check: when the boss has lived longer than its chain frame limit
// it sends itself the defeat event (argument 0: no popup, no count) and
// true is returned.
bool BossTimeCheck(EnemyBase* boss);
// The path from `from` to `to` over `frames`: two keys with the spline
// tangents of (from, from, to) and (from, to, to) (tension and bias as
// given: 1 and 1 make both zero), both points copied now.
void BossPathTo(SplineMover* path, const float* from, const float* to, float frames, float tension = 0.0f,
                float bias = 0.0f);
// x = home x + 6 sin(frame x 0.02 x pi/2), y = home y + 7 sin(frame x 0.025 x pi/2).
void BossHover(float* position, const float* home, int32_t frame);
void BossStopSe(int32_t n);
// The game's screen ramp on layer 7 (levels: 1 clear, 2 white).
void BossScreenRamp(float level, int32_t frames);
