#pragma once
// The bullet generators of the boss scripts, built from literal values: the
// 25 values in the order of the generator's boss constructor (flags, hit
// word, codes, angles, speeds, ways, spread, rows, row width, frames between
// volleys, volleys per burst, further bursts, frames between bursts, offset,
// two flags, start delay, bullet path, id, a last word).
#include <cstdint>

#include "game/effect/EShotGen.h"
#include "game/enemy/EnemyToolkit.h"
#include "game/enemy/SpawnChild.h"

struct ShotTuple {
  uint32_t flags;
  uint32_t hitWord;
  int32_t codeA, codeB;
  float baseAngle, sweepStart, sweepEnd, startSpeed, endSpeed;
  int32_t ways;
  float spread;
  int32_t rows;
  float rowWidth;
  int32_t volleyFrames, volleys, bursts, burstFrames;
  float offsetX, offsetY;
  uint32_t word20, muzzleFlash;
  float startDelay;
  int32_t pathId;  // the stage's bullet path of this id; -1 none
  int32_t id, a4;
};

// Builds the generator firing from `from` (held by `holder`: once it is gone
// the generator keeps the last position) as a child (list 0) of parent;
// null when it could not be made or added.
inline EShotGen* StartShots(SProc* parent, const float* from, SObject* holder, const ShotTuple& t) {
  return SpawnChild<EShotGen>(parent, 0, 0, from, t.flags, t.hitWord, t.codeA, t.codeB, t.baseAngle, t.sweepStart,
                              t.sweepEnd, t.startSpeed, t.endSpeed, t.ways, t.spread, t.rows, t.rowWidth,
                              t.volleyFrames, t.volleys, t.bursts, t.burstFrames, t.offsetX, t.offsetY, t.word20,
                              t.muzzleFlash, t.startDelay, ParamTable::FindValue(t.pathId), t.id, t.a4, holder);
}
