#pragma once
// The enemy object: the process from which every enemy and boss piece
// derives. It ties one spawn record of the enemy timeline to a behaviour
// state machine, an embedded collision body (group 7) and the lists of the
// enemy's stage script, which Step works through each frame. It answers the
// collision manager's hit events and the grab events of the player's dash
// formation, and its default behaviour (Script) is what the simple enemies
// run.
//
// The fields the collision, lock-on, grab and dash code read keep their
// names: class kind, hit position, grab mode and count, grabbed, formation
// slot, targetable frames, last attacker.
#include <cstdint>

#include "game/core/AxisMotion.h"
#include "game/core/Behavior.h"
#include "game/core/HitBody.h"
#include "game/core/MotionParam.h"
#include "game/core/ValueAnimator.h"
#include "vrax/graphic/SMath.h"
#include "vrax/kernel/SHandle.h"
#include "vrax/kernel/SProc.h"

struct EnemyParam;
struct EnemyScript;
struct EnemySpawnRecord;
struct GeneratorRecord;
struct MotionRecord;
struct RouteEntry;
struct RouteRecord;
struct AxisRecord;
struct StageScript;

class EObjBase : public SProc {
 public:
  static constexpr uint32_t kDefaultMask = 0x7F;
  static constexpr int32_t kHitGroup = kHitGroupEnemy;
  static constexpr uint32_t kHitAux = 100;
  // Class kinds: 1 the simple enemies, 2 the enemies built on the full
  // enemy class (bosses among them), 0 anything else.
  static constexpr int32_t KIND_SIMPLE = 1;
  static constexpr int32_t KIND_BOSS = 2;
  // Grab modes.
  static constexpr int32_t GRAB_FREE = 0;
  static constexpr int32_t GRAB_HELD = 5;
  static constexpr int32_t GRAB_DEFEATED = 10;
  // States of the default behaviour.
  static constexpr int32_t STATE_FLYING = 0;
  static constexpr int32_t STATE_GRABBED = 6;
  static constexpr int32_t STATE_RECOIL = 7;
  static constexpr int32_t STATE_RELEASED = 8;
  static constexpr int32_t STATE_DEFEATED = 10;
  // User events an enemy takes besides kHitEventHit (damage word) and
  // kHitEventDefeated, which every hit body's owner takes. The dash formation,
  // the lock-on and the collision manager send these names; an enemy passes
  // the grab events on to the processes of its list 2.
  static constexpr int32_t EV_GRABBED = 9;
  static constexpr int32_t EV_GRAB_ATTEMPT = 11;
  static constexpr int32_t EV_BIND_SLOT = 12;
  static constexpr int32_t EV_RELEASED = 14;
  static constexpr int32_t EV_GRAB_FLASH = 15;
  static constexpr int32_t EV_RECOIL = 17;
  // Argument of kHitEventDefeated that defeats without counting and without popup.
  static constexpr SProcArg kUncounted = -1;
  // The play area around the view's centre, and the extra margin an enemy
  // travels beyond it (plus half its depth) before it is removed.
  static constexpr float kAreaX = 240.0f;
  static constexpr float kAreaY = 320.0f;
  static constexpr float kLeaveMargin = 200.0f;
  // The collision body is off at this depth or beyond (either sign).
  static constexpr float kDepthLimit = 100.0f;
  // Sound effects of the default behaviour.
  static constexpr int32_t kSoundGrab = 53;

  // The behaviour member: its handler is the object's Script.
  class ScriptBehavior : public Behavior {
   public:
    explicit ScriptBehavior(EObjBase* owner) : owner_(owner) {}
    int32_t Handle(int32_t code, int32_t state) override { return owner_->Script(code, state); }

   private:
    EObjBase* owner_;
  };

  EObjBase();
  ~EObjBase() override = default;

  // Sets the enemy up from its spawn record: positions, parameter record,
  // hit points, collision body and the script's list cursors (the first
  // route record is applied at once).
  virtual void Setup(const EnemySpawnRecord* record);
  // The live position (x, y, z, w).
  virtual float* GetPosition() { return position; }
  virtual HitBody* GetHitBody() { return &body; }
  // Starts a hit flash (nothing here; the enemy classes start a Flasher).
  virtual void Flash(const float* /*colour*/, uint8_t /*hold*/) {}
  // One frame of the script lists: motion, generators, route, axes, depth
  // and the play-area check.
  virtual void Step();
  // Children stepped by the grabbed and released states (nothing here).
  virtual void StepChildren() {}
  // The behaviour handler (code 1 enter, 0 frame, 2 leave, 3 notify).
  virtual int32_t Script(int32_t code, int32_t state);
  // Marker rank of the enemy in a dash formation (0, 1 or 2).
  virtual int32_t GetRank() const { return 0; }

  // Free, targetable and not grabbed.
  bool IsActive() const { return grabMode == GRAB_FREE && targetableFrames >= 1 && grabbed == 0; }
  // Loads the value animator from a route entry {-, from, to, wrap, speed}
  // (nothing for null).
  void CopyRoutePoint(const RouteEntry* entry);
  // Binds the enemy to formation slot n of the dash formation (n < 0: none).
  void SetRoutePoint(int32_t n);
  // The defeat explosion of kind 1 to 4 at the position projected to depth
  // 0, with its sound.
  void Burst(const float* pos, int32_t kind);
  // The route choice for a recoil or release table: trunc(RandF x 2), one
  // rand draw, clamped to the entries the table has from `index` on.
  int32_t ChooseRoute(int32_t index);
  // The stage-frame step of the enemy timers.
  static float TimerStep();
  // The stage script the enemy's records belong to is being released: the
  // enemy ends, and lets go of every record, so that what still runs for an
  // ended enemy until it is disposed (its draw from the draw list, its kill
  // and dispose handlers) reads none of them.
  void EndWithScript();

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
  const EnemyParam* param = nullptr;
  // The stage script that spawned the enemy (null: none). Only compared,
  // never read through: the script ends the enemy before it goes.
  const StageScript* source = nullptr;
  // The script lists' cursors (null: the list is finished).
  const RouteRecord* routeCursor = nullptr;
  const MotionRecord* motionCursor = nullptr;
  const GeneratorRecord* generatorCursor = nullptr;
  const GeneratorRecord* defeatCursor = nullptr;
  const AxisRecord* axisCursor = nullptr;
  MotionParam motion;
  ValueAnimator animator;
  AxisMotion axis;
  SMatrix world = kIdentityMatrix;
  float previousPosition[3] = {0.0f, 0.0f, 0.0f};
  float angles[3] = {0.0f, 0.0f, 0.0f};  // turns
  float generatorTimer = 0.0f;
  float routeTimer = 0.0f;
  float axisTimer = 0.0f;
  int32_t routeChoice = 0;

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
    int32_t counters[2] = {0, 0};
    float pullStart[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float pullDistance = 0.0f;
    float pullHeading = 0.0f;
  } slot;
  int32_t targetableFrames = 0;
  uint8_t grabbed = 0;
  // Copied from the Player's outer-contact serial on an outer-body contact.
  int32_t grabCount = 0;

 protected:
  int32_t User(int32_t code, SProcArg arg) override;

  // Process name = the parameter record's name (at most its 32 bytes).
  void NameFromParam();
  // Hit points - damage, and the red flash.
  void TakeDamage(SProcArg damage);
  // Hit points - damage, held within the 32-bit range: hit points from a
  // stage script may start anywhere, down to INT32_MIN, and an enemy at 0
  // or below stays there (HitMan defeats it) however often it is hit.
  void LoseHitPoints(SProcArg damage);
  // Loads the value animator from a route record: its entry of the route
  // table (an index outside the table loads nothing), its speed and wrap.
  void LoadRouteRecord(const RouteRecord* r);
  // Points the motion record at the live position, which it moves and aims
  // from, and loads the first motion record (the init of the simple enemies).
  void StartMotion();
  // Hit position = position + the parameter record's hit offset.
  void UpdateHitPosition();
  // Defeated by the grab: a grabbed simple enemy once the dash has ended.
  void GrabCheck();
  // The pull of a grabbed enemy towards its formation slot.
  void Pull();
  // Saves the value animator (once) and loads a random recoil entry.
  void LoadRecoilRoute();
  // Kills child list n (when it exists).
  void KillList(int32_t n);
  // Sends EVENT_MAIN to child list n (when it exists).
  void MainToList(int32_t n);
  // True when a child "ELaserGen" lives in list 0.
  bool HasLaser();
  // Starts one generator record (laser or bullets) as a child of list 0.
  void StartGenerator(const GeneratorRecord* g);
};

// Euclidean distance of two 3-float points.
float Distance3(const float* a, const float* b);
// (x, y) x 512 / (z + 512) and z = 0 for z != 0 (a depth at or behind the
// eye keeps x and y).
void ProjectToScreen(const float* in, float* out);
