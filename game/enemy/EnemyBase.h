#pragma once
// The base of the model-drawn enemies (types 2 to 18): a textured model
// under a placement node whose translation is the enemy's live position, a
// model animation driven by the value animator, the type's own behaviour
// script (a second Behavior that the type builds inside itself), a hit-point
// gauge, the model hit flash and its own answers to the user events. While
// such an enemy lives the enemy timeline is paused.
//
// The EObjBase behaviour member keeps EObjBase::Script as its handler; that
// handler calls Step, which runs one frame of the type's script, and
// StepChildren, which steps the enemy's children.
#include <cstdint>

#include "game/enemy/EObjBase.h"
#include "game/enemy/ModelInstance.h"
#include "game/tables/enemy_tables.h"
#include "vrax/graphic/SGpNode.h"
#include "vrax/graphic/SGpObj_Prim.h"
#include "vrax/resource/SRsc_Image.h"

class EnemyBase : public EObjBase {
 public:
  // States every type's script knows: the base orders them on release and
  // on defeat.
  static constexpr int32_t SCRIPT_RELEASED = 100000;
  static constexpr int32_t SCRIPT_DEFEATED = 100001;
  static constexpr uint32_t kBodyMask = 0x24E;
  // Gauge bar: width at full hit points, left edge, rows and colour.
  static constexpr float kGaugeWidth = 350.0f;
  static constexpr float kGaugeLeft = -175.0f;
  static constexpr float kGaugeTop = -270.0f;
  static constexpr float kGaugeBottom = -264.0f;
  // Draw keys.
  static constexpr int32_t kModelKey = 19;
  static constexpr int32_t kGaugeKey = 1;

  EnemyBase();
  ~EnemyBase() override;

  // The EVENT_INIT work every type runs after it has pointed `script` at its
  // behaviour: name, timeline pause, model and animation bound from the
  // image and model slot pair in `extra`, three child lists, draw list. 0, or
  // -1 when the model cannot be bound (the enemy is then killed and the
  // timeline runs on).
  int32_t OnInit(SProcArg extra);
  // The EVENT_MAIN work: animation time, one behaviour frame, gauge, frames
  // alive.
  int32_t OnMain(SProcArg arg);
  // The bar from hit points / the parameter record's hit points (empty for
  // hit points <= 0 or a record of 0 hit points).
  void UpdateGauge();
  // Animation time = the value animator clamped to the track; pose applied.
  void ApplyAnimation();
  // Lets the enemy timeline run on while this enemy still lives; its end
  // then leaves the pause alone (an enemy spawned meanwhile may hold it).
  void ReleaseTimeline();

  void Flash(const float* colour, uint8_t hold) override;
  void Step() override;
  void StepChildren() override;

  // ---------------------------------------------------------------- toolkit
  // Loads the value animator from route table entry n (the route cursor
  // becomes n); nothing when the entry does not exist.
  void SetRoutePoint(uint32_t n);
  // The same with the given speed instead of the entry's.
  void SetRoutePointEx(uint32_t n, float speed);
  // Loads the value animator from explicit values (route cursor unchanged).
  void SetMove(float from, float to, uint32_t wrap, float speed);
  // True on every (n + 1)-th call (every call for n <= 0).
  bool EveryFrames(int32_t n);

  // Track length in frames (the model's last frame).
  float TrackLength() const { return trackLength; }
  SGpNode* PlacementNode() { return &placement; }
  const SGpObj_Prim& GaugeBar() const { return gauge; }

  ModelInstance model;
  SRsc_Model* modelRsc = nullptr;
  float trackLength = 0.0f;
  float trackTime = 0.0f;
  SRsc_Image* image = nullptr;
  SGpNode placement;
  Behavior* script = nullptr;
  int32_t everyCounter = 0;
  int32_t routeCursorIndex = 0;
  int32_t chainFrameLimit = 0;
  int32_t framesAlive = 0;

 protected:
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override { return OnMain(arg); }
  int32_t KillChildren(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

  SGpObj_PrimQuad gauge{0x042};
  SGpObj_PrimQuad spare{0x042};

 private:
  void ResetPlacementRotation();
  uint8_t pausedTimeline_ = 0;
  uint8_t listed_ = 0;
};

// An image and model slot pair of EnemyRscSlots as the EVENT_INIT argument.
inline SProcArg RscPairArg(const EnemyRscSlotPair* p) { return reinterpret_cast<SProcArg>(p); }
