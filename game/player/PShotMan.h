#pragma once
// The player-shot manager: every shot of the ship's volleys, the options
// and the player's effects. A shot is a pooled collision body (group 2, or
// 3 for a big one) that flies in a straight line, is drawn as a textured
// quad of one shared batch, and is released when it leaves the play area
// (32 px of margin) or hits an enemy.
#include <cstdint>

#include "game/core/HitBody.h"
#include "game/core/ObjPool.h"
#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/kernel/SProc.h"

// One player shot; the collision body points at its position.
class PShot : public PooledOf<HitBody> {
 public:
  int32_t kind = 0;
  int32_t age = 0;
  float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float velocity[2] = {0.0f, 0.0f};
  // The quad's corners relative to the position, and the same shrunk by
  // 2 px towards it.
  float corners[4][4] = {};
  float inner[4][4] = {};
  int32_t words[2] = {0, 0};
};

class PShotMan : public SProc {
 public:
  static constexpr int32_t kCapacity = 128;
  static constexpr int32_t kKinds = 4;
  static constexpr int32_t kDrawKey = 9;
  // Shots live while x stays within -272..272 and y within -352..352.
  static constexpr float kLimitX = 272.0f;
  static constexpr float kLimitY = 352.0f;

  // A shot of kind 0..3 at (x, y) with velocity (vx, vy); big shots are in
  // group 3. Null when the pool is full.
  PShot* Fire(int32_t kind, int32_t big, float x, float y, float vx, float vy, float widthScale, float lengthScale,
              float damage);
  // The hit sparks of a shot at the position.
  void SpawnHitEffect(const float* position);
  // Releases every shot.
  void ReleaseAll();
  // Disables the body of every big shot.
  void DisableBig();
  // Live shots.
  int32_t LiveCount() const { return pool_.Capacity() - pool_.FreeCount(); }
  const ObjPool<PShot>& Pool() const { return pool_; }
  const SGpObj_PrimQuad& Batch() const { return batch_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  void MoveGroup(int32_t group);

  ObjPool<PShot> pool_;
  SGpKeyTrack tracks_[kKinds];
  SGpObj_PrimQuad batch_{0x142};
};

// The persistent object; the game root adds it to its lists in scene 2.
extern PShotMan g_PShotMan;
