#pragma once
// The enemy object: the process from which every enemy and boss piece
// derives. It carries the enemy's numbers (hit points, score value, class
// kind), its live position, the position its collision body reads, the
// embedded collision body (group 7), and the grab and formation-slot state
// that the collision layer, the lock-on, the grab and the dash read and
// write. Behaviour (script steps, motion, generators) belongs to the enemy
// classes.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/HitBody.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

class EObjBase : public SProc {
 public:
  static constexpr uint32_t kDefaultMask = 0x7F;
  // Class kinds: 1 the simple enemies, 2 the enemies built on the full
  // enemy class (bosses among them), 0 anything else.
  static constexpr int32_t KIND_SIMPLE = 1;
  static constexpr int32_t KIND_BOSS = 2;
  // Grab modes.
  static constexpr int32_t GRAB_FREE = 0;
  static constexpr int32_t GRAB_HELD = 5;
  static constexpr int32_t GRAB_DEFEATED = 10;

  // The behaviour member: its handler is the object's Script.
  class ScriptBehavior : public Behavior {
   public:
    explicit ScriptBehavior(EObjBase* owner) : owner_(owner) {}
    int32_t Handle(int32_t code, int32_t state) override { return owner_->Script(code, state); }

   private:
    EObjBase* owner_;
  };

  EObjBase() = default;
  ~EObjBase() override = default;

  // The live position (x, y, z, w).
  virtual float* GetPosition() { return position; }
  virtual HitBody* GetHitBody() { return &body; }
  // The behaviour handler (code 1 enter, 0 frame, 2 leave, 3 notify); the
  // base handles nothing.
  virtual int32_t Script(int32_t /*code*/, int32_t /*state*/) { return 0; }
  // Marker rank of the enemy in a dash formation (0, 1 or 2).
  virtual int32_t GetRank() const { return 0; }

  // Free, targetable and not grabbed.
  bool IsActive() const { return grabMode == GRAB_FREE && targetableFrames >= 1 && grabbed == 0; }

  ScriptBehavior behavior{this};
  int32_t hitPoints = 0;
  int32_t scoreValue = 0;
  int32_t classKind = 0;
  int32_t paramKind = 0;
  // Points at the spawn position unless a subclass moves it.
  float* position = spawnPosition;
  float spawnPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  // Where the collision body sits.
  float hitPosition[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  HitBody body;
  uint8_t flashRunning = 0;

  // The last attacking body and the game frame of that attack: one hit per
  // attacker body and frame.
  SHandle<HitBody> lastAttacker;
  int32_t lastHitFrame = -1;
  int32_t recoilFrames = 0;
  int32_t grabMode = GRAB_FREE;
  uint32_t grabArgument = 0;
  int32_t pullCounter = 0;
  // The formation slot the enemy is linked to (-1 none), where its pull
  // starts, how far and in which direction (turns) it is pulled.
  struct FormationSlot {
    int32_t index = -1;
    float pullStart[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float pullDistance = 0.0f;
    float pullHeading = 0.0f;
  } slot;
  int32_t targetableFrames = 0;
  uint8_t grabbed = 0;
  // Copied from the Player's outer-contact serial on an outer-body contact.
  int32_t grabCount = 0;
};
