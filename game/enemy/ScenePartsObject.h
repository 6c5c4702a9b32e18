#pragma once
// The split sprite: a sprite cut in two along a line at an angle, whose
// halves fly apart along that angle, drift down, fade from red to nothing
// over 40 frames and throw green sparks, after which the process ends. The
// player's dash leaves one behind for each grabbed sprite enemy it destroys.
// A scripted process: its whole behaviour is its user-event handler.
#include <cstdint>

#include "game/core/PhaseTimer.h"
#include "game/effect/ScriptedProc.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpRect.h"
#include "vrax/graphic/SGpState.h"

class EnemyType0;

class ScenePartsObject : public ScriptedProc {
 public:
  static constexpr int32_t kFrames = 40;
  static constexpr int32_t kDrawKey = 21;
  static constexpr int32_t kSparkSheet = 17;

  // origin: the creator's position (copied); part: the sprite part to cut
  // (a table entry: it lives as long as the program); angle in turns.
  ScenePartsObject(const float* origin, const SGpRect* part, float angle, float scale);

  PhaseTimer timer;
  float origin[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  const SGpRect* part = nullptr;
  float angle = 0.0f;
  float scale = 1.0f;
  SGpState_World worldA, worldB;
  SGpObj_PrimQuadFill primA, primB;

 protected:
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void SetUp();
  void DrawHalves();
  void Frame();
};

// A split sprite in the game's stage list (list 6) at the position; null
// when it could not be made or there is no game.
ScenePartsObject* SpawnScenePartsObject(const float* position, const SGpRect* part, float angle, float scale);
// The split sprite of a destroyed sprite enemy: its position, its current
// sprite part and its sprite scale, cut at a random angle (one rand draw,
// made whether or not the object can be made).
ScenePartsObject* SpawnScenePartsFromEnemy(EnemyType0* enemy);
