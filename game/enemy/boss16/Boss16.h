#pragma once
// Boss type 16, the finale: a boss carrying its own thunder manager. After
// its entrance it cycles through six attacks (twin spirals, a rotating
// cross of thunder, chevrons, double rings, an aimed stream and eight
// sweeping lasers), each framed by a wind-up, an attack and a closing
// motion; past its chain frame limit the end of an attack defeats it. Its
// defeat companion blows it apart in four stages, moves the rail on and
// ends the fight.
#include <cstdint>

#include "game/effect/EThunderMan.h"
#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossPartsObject.h"
#include "game/enemy/EnemyBase.h"
#include "game/enemy/NodeScalePackets.h"

class EnemyType16;

// Every attack but the stream runs in steps: 0 the wind-up motion (9)
// until it completes, 1 the attack under motion 10, 2 the closing motion
// (11) until it completes, and for some 3 the rest motion (0).
class EnemyType16Behavior : public BossBehaviorOf<EnemyType16> {
 public:
  static constexpr int32_t kEntrance = 0;
  static constexpr int32_t kSpirals = 1;
  static constexpr int32_t kThunder = 2;
  static constexpr int32_t kChevrons = 3;
  static constexpr int32_t kRings = 4;
  static constexpr int32_t kStream = 5;
  static constexpr int32_t kLasers = 6;
  static constexpr int32_t kWait = 7;

  int32_t Handle(int32_t code, int32_t state) override;

  float spiral = 0.0f;
  EThunderMan thunder;

 private:
  int32_t Entrance(int32_t code);
  int32_t Spirals(int32_t code);
  int32_t Thunder(int32_t code);
  int32_t Chevrons(int32_t code);
  int32_t Rings(int32_t code);
  int32_t Stream(int32_t code);
  int32_t Lasers(int32_t code);
  int32_t Defeat(int32_t code);
  // The value animator's completions of the current motion.
  uint32_t Passes() const;
  void Motion(uint32_t n);
  // Step 0: once the wind-up has completed, step 1 and the attack's motion
  // (true on that frame).
  bool WindUp();
  // Step 1 to 2: the closing motion.
  void Close();
  // Steps 2 and 3 of the attacks that end at rest: after the closing, the
  // rest motion, and the attack ends when it has completed twice.
  void CloseToRest();
  void Shot(int32_t code, float angle, float speed, int32_t stageMotion);
  // Home, the boss waits for its motion to complete before the next attack.
  int32_t AfterHome() override { return kWait; }
};

class EnemyType16 : public EnemyBase {
 public:
  static constexpr int32_t kType = 16;
  // The rail loop held while the boss fights.
  static constexpr float kLoopTo = 1756.0f;
  static constexpr float kLoopAt = 3907.0f;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType16Behavior& Script() { return script_; }
  using EObjBase::KillList;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void Sparks();

  EnemyType16Behavior script_;
};

// The death of the type 16 boss: four stages of explosions that blow off
// its parts, the wreck spinning and swelling, a flash, the rail moved on to
// the end of the boss's arena at frame 815, and at frame 880 the end of the
// companion and of the boss.
class BossPartsObjectT16 : public BossPartsObject {
 public:
  static constexpr int32_t kRailFrame = 815;
  static constexpr float kRailTo = 3920.0f;
  static constexpr int32_t kLastFrame = 880;

  explicit BossPartsObjectT16(ModelInstance* model) : BossPartsObject(model) {}

  SMatrix savedRoot = kIdentityMatrix;
  float offset[3] = {};
  float blastStart[4] = {};
  float blastEnd[4] = {};
  // Hung on the heart while it burns: it swells and glows.
  NodeScalePackets glow;

 protected:
  int32_t User(int32_t code, SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  void SetUp();
  void Frame();
  SVec4 Point(int32_t n);
  void Blast(int32_t node, float dx, float dy, float ex, float ey, bool colors);
  void FlyingBlast();
  void Burn(int32_t node, int32_t life, int32_t glows);
  void Scale(int32_t node, float s);
  void GlowScale(float r);
};
