#pragma once
// Boss type 13: it materialises out of converging light streamers behind a
// white flash, then fights through a fixed cycle with two sprite
// satellites: twin streams, orbit and sway, loop and spray, streams, rings,
// swing and fans, lasers, and again. Past its chain frame limit the end of
// an attack defeats it (no popup, no count). Its defeat drifts and sinks it
// to the centre, where a large explosion ends it 215 frames later.
#include <cstdint>

#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossOption2D.h"
#include "game/enemy/ColorFader.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/SpawnChild.h"
#include "game/enemy/boss13/EnemyType13Streamers.h"
#include "vrax/graphic/SMath.h"

class EnemyType13;

class EnemyType13Behavior : public BossBehaviorOf<EnemyType13> {
 public:
  enum : int32_t {
    MATERIALISE = 0,
    INTERLUDE = 1,
    TWIN_STREAMS = 2,
    ORBIT = 3,
    LOOP = 4,
    STREAMS = 5,
    RINGS = 6,
    SWING = 7,
    LASERS = 8,
  };
  // The defeat's explosion ends the boss at this frame; without one the
  // boss ends itself after as many frames.
  static constexpr int32_t kBlastFrames = 215;
  static constexpr int32_t kVoiceEntry = 42;

  explicit EnemyType13Behavior(EnemyType13* e) { enemy = e; }
  int32_t Handle(int32_t code, int32_t state) override;

  ChildSlots<BossOption2D, 2> satellites;
  float points[3][4] = {};
  // A second count of some attacks: the orbit's sways, the swing's frames
  // from its start and the lasers fired.
  int32_t count = 0;
  ColorFader follower;
  SMatrix laser = kIdentityMatrix;
  float orbit = 0.0f;
  float ringAngle = 0.0f;
  // 1 while an attack runs to its own end; 0 once the orbit or the loop has
  // sent the boss home, which then goes on without the interlude.
  uint8_t fight = 0;
  EnemyType13Streamers streamers;
  // The frame of the defeat's explosion, its own frame being 1 (-1: not
  // yet); the explosion ends the boss on its frame 215.
  int32_t blastCount = -1;
  uint8_t blastSpawned = 0;

 private:
  int32_t Materialise(int32_t code);
  int32_t Interlude(int32_t code);
  int32_t TwinStreams(int32_t code);
  int32_t Orbit(int32_t code);
  int32_t Loop(int32_t code);
  int32_t Streams(int32_t code);
  int32_t Rings(int32_t code);
  int32_t Swing(int32_t code);
  int32_t Lasers(int32_t code);
  int32_t Defeat(int32_t code);
  // BeginAttack, and the attack is to run to its own end (fight 1).
  void EnterAttack(int32_t then);
  int32_t AfterHome() override;
  void LaunchStreamer(float centre, float radiusBase);
  void Glow(float s);
};

class EnemyType13 : public EnemyBase {
 public:
  static constexpr int32_t kType = 13;
  static constexpr float kFirstAngle = -0.1f;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType13Behavior& Script() { return script_; }
  uint8_t visible = 0;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  EnemyType13Behavior script_{this};
};
