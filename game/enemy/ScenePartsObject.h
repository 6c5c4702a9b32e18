#pragma once
// The split sprite that a released grabbed sprite enemy leaves behind in
// the stage list: the enemy's sprite part cut in two along a line at an
// angle, the halves flying apart and fading. Only its frame and its life of
// 40 frames are here so far; the cut, the halves' drawing and their sparks
// are not built yet (it shows nothing).
#include <cstdint>

#include "game/core/PhaseTimer.h"
#include "game/effect/ScriptedProc.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SGpState.h"

struct SGpRect;
class EObjBase;

class ScenePartsObject : public ScriptedProc, public PhaseTimer {
 public:
  static constexpr int32_t kLife = 40;

  ScenePartsObject(const float* position, const SGpRect* part, float angle, float scale);

  const float* GetOrigin() const { return origin_; }
  const SGpRect* GetPart() const { return part_; }
  float GetAngle() const { return angle_; }
  float GetScale() const { return scale_; }

 protected:
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  float origin_[4];
  const SGpRect* part_;
  float angle_;
  float scale_;
  SGpState_World worldA_, worldB_;
  SGpObj_PrimQuad halfA_, halfB_;
};

// A new ScenePartsObject in the game root's stage list (list 6); null when
// it cannot be had or there is no root.
ScenePartsObject* SpawnScenePartsObject(const float* position, const SGpRect* part, float angle, float scale);
// One at the enemy's position with its sprite part and scale, cut at a
// random angle (one rand draw).
ScenePartsObject* SpawnScenePartsFromEnemy(EObjBase* enemy, const SGpRect* part, float scale);
