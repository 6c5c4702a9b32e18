#pragma once
// The rocks of stage 5 (process name "Stage5Rock", in the stage scene's
// child list 0): four large rocks at rail position 3970, from 4300 to 5300 a
// rain of rocks from far ahead, scripted bursts of rocks and dust while the
// hall collapses, the lens flare of the light at the end and one white
// flash. Rocks are scenery only (no collision, no score). They live in a
// pool of 512 cells and, while alive, in a list in the order of spawning.
// Every random number comes from the game's generator in a fixed order.
#include <cstdint>

#include "game/core/ObjPool.h"
#include "game/stage/LensFlare.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

// One flying rock: it moves, turns and grows from its start to its end
// values over its duration.
class RockPiece : public PooledOf<SObject> {
 public:
  // One frame: the next step of the flight, maybe a trail of dust, the
  // world matrix.
  void Update();
  // The world matrix from the current scale, rotation and position.
  void BuildMatrix();

  int32_t duration = 0;
  int32_t counter = 0;
  SVec4 pos{}, startPos{}, endPos{};
  // Angles in turns (x, y, z), w 1.
  SVec4 rot{}, startRot{}, endRot{};
  float scale = 0.0f, startScale = 0.0f, endScale = 0.0f;
  SMatrix world = kIdentityMatrix;
};

using ObjectPool = ObjPool<RockPiece>;

class Stage5Rock : public SProc {
 public:
  static constexpr int32_t kPoolCells = 512;
  static constexpr int32_t kDrawKey = 34;
  // The rail key from which key 34 is seen through the second view.
  static constexpr int32_t kAheadFromKey = 4230;
  // Object slot of MapMng holding the rock model ("Rock00").
  static constexpr int32_t kRockSlot = 35;
  // Effect sheets: the dust, the flare's glow, its rings, the flash.
  static constexpr uint32_t kDustSheet = 26;
  static constexpr uint32_t kFlareSheet = 31;
  static constexpr uint32_t kFlareFadeSheet = 13;
  static constexpr uint32_t kFlashSheet = 8;

  // A rock at start position p flying to z = -30000 in d frames, of size
  // class c; null (and no random number drawn) when the pool is full.
  RockPiece* SpawnRock(const SVec4& p, int32_t c, int32_t d);
  // One dust sprite round p (size a, spread e, speed v, direction spread q,
  // f frames).
  void SpawnDust(const SVec4& p, float a, float e, float v, float q, int32_t f);
  // A rock of size class up to n near centre c (spread e) with its dust.
  void SpawnRockAt(const SVec4& c, int32_t n, float e);
  // m dust sprites and four to seven rocks round c.
  void SpawnBurst(const SVec4& c, int32_t m, float a, float e);
  void RockRain();
  void ScriptedBursts();
  void UpdateFlare();

  const ObjectPool& Pool() const { return pool_; }
  const SObjList& Live() const { return live_; }
  const LensFlare& Flare() const { return flare_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  LensFlare flare_;
  ObjectPool pool_;
  SObjList live_;
};
