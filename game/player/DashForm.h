#pragma once
// The dash formation: when a lock-on catches an enemy the ship flies from
// target to target, striking each on the player's timing, and returns to
// where it started. DashForm chooses the targets (up to seven slots), holds
// their markers and the dash state; the Player's dash mode moves the ship
// through that state. Two variants: the chain (1) against ordinary enemies
// and the boss variant (2) with all seven slots on the boss.
//
// The enemies read the formation too: a grabbed enemy is pulled towards its
// slot while the dash state is 1 (opening) and defeated once it is 0.
#include <cstdint>

#include "game/enemy/EObjBase.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

class HitBody;

class DashForm : public SProc {
 public:
  static constexpr int32_t kSlots = 7;
  static constexpr int32_t kCandidates = 64;  // 63 usable
  enum DashState : int32_t {
    DASH_IDLE = 0,
    DASH_OPENING = 1,
    DASH_AIMING = 2,
    DASH_STRIKING = 3,
    DASH_MISSED = 5,
    DASH_ALL_STRUCK = 6,
    DASH_CLOSING = 7,
  };
  enum Variant : int32_t { VARIANT_CHAIN = 1, VARIANT_BOSS = 2 };
  enum MarkerState : int32_t {
    MARK_IDLE = 0,
    MARK_SHOWN = 1,
    MARK_ARMED = 2,
    MARK_CURRENT = 3,
    MARK_STRUCK = 4,
    MARK_MISSED = 5,
    MARK_ENDED = 6,
  };
  struct Slot {
    int32_t marker = MARK_IDLE;
    int32_t counter = 0;
    float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    int32_t tier = 0;  // marker scale 0.8, 1.3, 2.0
    float phase = 0.0f;
    float offset = 0.0f;  // r - 0.5
  };
  struct Candidate {
    float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    SHandle<EObjBase> enemy;
    uint8_t picked = 0;
  };

  // The chain dash from the player's position.
  void Start(float x, float y, float z, float w);
  // The boss dash: 1 when a running boss was found, else 0.
  int32_t StartOnBoss(float x, float y, float z, float w);
  // Counts the dashable enemies.
  int32_t Reset();
  // Every enemy linked to slot index receives EObjBase::EV_GRAB_FLASH with its position.
  void FindEnemy(int32_t index);
  // Ends any dash: state idle, every slot idle, no targets.
  void ClearAll();
  // Forgets the candidates of the last dash.
  void Clear();
  // The boss variant's new strike point around a slot (its z and w 0).
  void ReAimPoint(int32_t slot, const float* player, float* out) const;
  // Enemies of group 7 linked to the slot.
  int32_t LinkedCount(int32_t slot) const;
  // The boss of a boss dash while it lives.
  EObjBase* Boss() const { return LiveProc(boss_); }
  // Slot i, or null for an index outside 0..6.
  Slot* SlotAt(int32_t i) { return i >= 0 && i < kSlots ? &slots[i] : nullptr; }
  // An enemy's link to a slot back to none: no slot, no pull.
  static void ClearSlot(EObjBase::FormationSlot* slot) { *slot = EObjBase::FormationSlot{}; }

  // The dash tests of an enemy body at a position.
  static bool IsLockable(const HitBody* body, const float* position);
  static bool IsDashable(const HitBody* body, const float* position);

  Slot slots[kSlots];
  Candidate candidates[kCandidates];
  int32_t candidateCount = 0;
  float anchor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  int32_t dashState = DASH_IDLE;
  int32_t stateCounter = 0;
  int32_t variant = VARIANT_CHAIN;
  int32_t targetCount = 0;
  int32_t targetIndex = 0;
  uint8_t bossTiming = 0;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Spread(const float* from);
  void DrawMarker(int32_t i);
  SHandle<EObjBase> boss_;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern DashForm g_DashForm;
// Frames counted by the dash formation since the program started.
extern int32_t DashFrameCounter;
