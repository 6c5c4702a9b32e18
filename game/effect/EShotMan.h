#pragma once
// Enemy bullets. EShotMan is the persistent process (list 7 of the Game)
// that owns every enemy bullet: a fixed pool of 1,500 shots, each of which is
// itself the collision body of hit group 8 (the live shots ARE the members of
// that group's list). Enemies, bosses and the shot emitter (EShotGen) create
// shots with Fire; a shot flies in a straight line, optionally steered by a
// chain of motion records (EShotMotion), and is drawn as one textured quad in
// one of six sprite batches. The manager moves and culls shots in EVENT_END,
// enters the batches in EVENT_DRAW and releases a shot when HitMan reports
// that it touched the player (kHitEventHit).
//
// Code words: kind = (code & 0xFF) mod 17 picks radius, size, animation and
// hit effect (kind 14 is never fired); batch = (code >> 8) mod 6 (the
// non-negative remainder) picks the texture: batches 0 to 2 are textures 0
// to 2 of "\common\osr_eshot00", 3 to 5 those of "\common\osr_eshot01".
//
// Angles are in turns; play coordinates have the origin at the centre of the
// 480 x 640 view; time is in frames of the stage's shot time scale.
#include <cstdint>

#include "game/core/HitBody.h"
#include "game/core/ObjPool.h"
#include "game/effect/EShotMotion.h"
#include "vrax/graphic/SGpKeyTrack.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SProc.h"

class EShotMan;

// One enemy bullet; its HitBody part is registered in group 8 while it lives.
class EShot : public PooledOf<HitBody> {
 public:
  int32_t id = 0;     // the caller's tag (SetMotionById, SetVelocityById)
  int32_t kind = 0;   // 0 to 16
  int32_t batch = 0;  // 0 to 5
  // x, y, z (z stays 0: depth is folded into x and y at Fire), w 1. The
  // HitBody reads it; a generator may follow it.
  float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float velocity[2] = {0.0f, 0.0f};  // play units per frame
  // Added to the position every frame as it is, not scaled by the time step.
  float drift[2] = {0.0f, 0.0f};
  // When not exactly 1.0 the velocity is multiplied by it every frame.
  float velocityFactor = 1.0f;
  float baseAngle = 0.0f;    // turns: where the current motion record started
  float angle = 0.0f;        // turns: the heading
  float speed = 0.0f;        // the speed at which the current record started
  float targetAngle = 0.0f;  // turns: the target of the record's target modes
  // Four corner offsets (x, y, z, w) drawn around the position: the
  // manager's quad of the kind (kinds 0 to 9) or ownQuad (kinds 10 to 16).
  const float (*quad)[4] = nullptr;
  float ownQuad[4][4] = {};
  const EShotMotion* motion = nullptr;  // the current record, or none
  float motionTimer = 0.0f;             // frames spent in it
};

class EShotMan : public SProc {
 public:
  static constexpr int32_t kCapacity = 1500;
  static constexpr int32_t kKinds = 17;
  static constexpr int32_t kBatches = 6;
  static constexpr int32_t kDrawKey = 5;
  static constexpr int32_t kHitGroup = kHitGroupEnemyShot;
  // Shots beyond these limits are released (the play area plus 48).
  static constexpr float kLimitX = 288.0f;
  static constexpr float kLimitY = 368.0f;
  // Collision radius by kind.
  static const float kKindRadius[kKinds];

  EShotMan();
  ~EShotMan() override;
  // The manager recorded by the latest constructor (null when none).
  static EShotMan* Instance() { return s_instance; }

  // Fires one shot from the manager Instance(): kind and batch from code,
  // hitWord as the body's seventh word, from (x, y, z) (a z other than 0
  // scales x and y by 512 / (z + 512)), heading `angle` at `speed` times the
  // speed factor, following `motion` (may be null), tagged `id`, drifting by
  // the two floats at `drift` (null: none), the velocity multiplied by
  // velocityFactor every frame. Returns the shot, or null when the pool is
  // full, the kind is 14 or there is no manager.
  static EShot* Fire(int32_t code, uint32_t hitWord, float x, float y, float z, float angle, float speed,
                     const EShotMotion* motion, int32_t id, const float* drift, float velocityFactor);
  // Whether Fire can make a shot of this code at all: kind 14 never is.
  static constexpr bool IsFiredCode(int32_t code) { return (code & 0xFF) % kKinds != 14; }

  // Releases every live shot; with withEffect set each first leaves its hit
  // effect (drawing one rand value per shot).
  static void ClearAll(uint8_t withEffect);
  // Every live shot with this id gets the record as its current one, timer 0
  // (its base angle and speed stay).
  static void SetMotionById(int32_t id, const EShotMotion* motion);
  // Every live shot with this id gets the velocity (two floats).
  static void SetVelocityById(int32_t id, const float* velocity);
  // The same as SetVelocityById.
  static void ForEach(int32_t id, const float* velocity) { SetVelocityById(id, velocity); }
  // Calls fn(shot) for every live shot, oldest first; fn may release it.
  template <class Fn>
  static void WalkShots(Fn&& fn);

  // One frame of the shot's motion record (called by EVENT_END).
  static void StepMotion(EShot* shot);
  // The hit effect of a shot: an effect sprite of its colour group and kind,
  // drifting by `extra` (null: none). Draws one rand value.
  static void SpawnHitEffect(const EShot* shot, const SVec4* extra);

  // Code 7 (the argument is the shot that touched the player): hit effect,
  // then the shot is released. Other codes are ignored.
  int32_t OnUser(int32_t code, SProcArg arg);

  // ------------------------------------------------------------ inspection
  int32_t LiveCount() const { return pool_.Capacity() - pool_.FreeCount(); }
  const SGpObj_PrimQuad& Batch(int32_t b) const { return batches_[b]; }
  int32_t BatchCount(int32_t b) const { return batchCount_[b]; }
  // Width and height of a kind (from its animation's first frame).
  static float KindWidth(int32_t kind) { return s_kindSize[kind][0]; }
  static float KindHeight(int32_t kind) { return s_kindSize[kind][1]; }
  const SGpKeyTrack& KindTrack(int32_t kind) const { return tracks_[kind]; }
  // True when p is a live shot of this manager.
  bool Owns(const void* p) const;
  // True when p is an existing EShotMan (the owner of every shot it fired).
  static bool IsManager(const SProc* p);

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override { return OnUser(code, arg); }

 private:
  EShot* FireShot(int32_t code, uint32_t hitWord, float x, float y, float z, float angle, float speed,
                  const EShotMotion* motion, int32_t id, const float* drift, float velocityFactor);
  // Moves one shot, culls it or writes its quad into its batch.
  void StepShot(EShot* shot, float dt);

  SGpKeyTrack tracks_[kKinds];
  float kindQuad_[10][4][4] = {};
  SGpObj_PrimQuad batches_[kBatches];
  int32_t batchCount_[kBatches] = {};
  // Texture coordinates of each kind's current frame, corner order.
  float kindUV_[kKinds][4][2] = {};
  float speedFactor_ = 1.0f;
  ObjPool<EShot> pool_;

  static float s_kindSize[kKinds][2];
  static EShotMan* s_instance;
  EShotMan* previous_ = nullptr;
};

// The four corners of an elongated shot (kinds 10 to 16) of width w and
// height h heading along (c, s): 0.125 h ahead of the position, 0.875 h
// behind it, w wide.
void EShotElongatedQuad(float out[4][4], float c, float s, float w, float h);

template <class Fn>
void EShotMan::WalkShots(Fn&& fn) {
  HitGroupTable[kHitGroup].SafeWalk([&](SObject* o) {
    auto* b = static_cast<HitBody*>(o);
    if (IsManager(b->owner)) fn(static_cast<EShot*>(b));
  });
}

// The persistent object; the game root adds it to its lists in scene 2.
extern EShotMan g_EShotMan;
