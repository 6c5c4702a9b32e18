#pragma once
// Boss type 15: it descends under two light shafts with two model
// satellites at its sides, then cycles through seven attacks with waits
// between them: twin fans whose shots rebound from the screen edges,
// orbiting satellites, flower bursts, rotating double fans, a laser curtain
// from six sprite satellites, and swinging rings. Past its chain frame limit
// the end of an attack defeats it. Its defeat show is its own: it shakes,
// sinks to the centre, explodes through four animation stretches and then
// ends with its satellites, which lets the enemy timeline run on.
#include <cstdint>

#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossOption2D.h"
#include "game/enemy/BossOption3D.h"
#include "game/enemy/ColorFader.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/SpawnChild.h"
#include "game/enemy/boss15/BossLightShafts.h"
#include "vrax/graphic/SMath.h"

class EnemyType15;

class EnemyType15Behavior : public BossBehaviorOf<EnemyType15> {
 public:
  enum : int32_t {
    DESCENT = 0,
    TWIN_FANS = 1,
    ORBITING = 2,
    FLOWERS = 3,
    DOUBLE_FANS = 4,
    CURTAIN = 5,
    TO_RINGS = 6,
    RINGS = 7,
    WAIT = 14,
  };
  // The shots that rebound from the screen edges carry this id.
  static constexpr int32_t kBounceId = 0;
  static constexpr int32_t kSeGain = 65536, kVoiceGain = 65024;

  explicit EnemyType15Behavior(EnemyType15* e) { enemy = e; }
  int32_t Handle(int32_t code, int32_t state) override;
  // Options 1 and 2 to their places beside the boss (angles 0.12 and 0.38
  // turn, radius 100, rate `rate`).
  void PlaceOptions(float rate = 0.06f);

  // The volleys of the twin fans' two fans.
  int32_t fanA = 0, fanB = 0;
  // The motion count the defeat waits for.
  uint32_t waitTarget = 0;
  BossOption3D options[2];
  ChildSlots<BossOption2D, 6> curtain;
  float angleA = 0.0f, angleB = 0.0f;
  SMatrix laserOrigins[11];
  BossLightShafts shafts;
  ColorFader ramp;

 private:
  int32_t Descent(int32_t code);
  int32_t TwinFans(int32_t code);
  int32_t Orbiting(int32_t code);
  int32_t Flowers(int32_t code);
  int32_t DoubleFans(int32_t code);
  int32_t Curtain(int32_t code);
  int32_t Rings(int32_t code);
  int32_t Defeat(int32_t code);
  void CurtainStep();
  // The model satellites keep their places on the way home.
  void HomeFrame() override { PlaceOptions(); }
  // Home, the boss waits for its motion to complete before the next attack.
  int32_t AfterHome() override { return WAIT; }
};

class EnemyType15 : public EnemyBase {
 public:
  static constexpr int32_t kType = 15;
  // The rail's arena loop while the boss lives.
  static constexpr float kArenaStart = 179.0f, kArenaEnd = 849.0f;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType15Behavior& Script() { return script_; }

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  void StepChildren() override;

 private:
  EnemyType15Behavior script_{this};
};
