#pragma once
// The fight of boss type 6: its four shadows merge into the body (0), its
// five pods fly in and dock (1); then it hovers between five points firing
// at each arrival (2), bursts twelve generators (3), dives its pods at the
// player (4), recalls them (5), leaves the screen while its shadows fire
// from the corners (6) and wobbles firing two generators (7), returning
// home (100000) after the hover. Its defeat (100001) shakes, flashes and
// blows it up and moves the rail on; then it ends.
#include <cstdint>

#include "game/enemy/BossBehavior.h"
#include "game/enemy/boss06/EnemyType6Arm.h"
#include "game/enemy/boss06/EnemyType6Cable.h"
#include "game/enemy/boss06/EnemyType6Kage.h"
#include "game/enemy/boss06/EnemyType6Pod.h"

class EnemyType6;

class EnemyType6Behavior : public BossBehaviorOf<EnemyType6> {
 public:
  enum : int32_t {
    STATE_ENTRANCE = 0,
    STATE_PODS_IN = 1,
    STATE_HOVER = 2,
    STATE_BURST = 3,
    STATE_DIVE = 4,
    STATE_RECALL = 5,
    STATE_SHADOWS = 6,
    STATE_WOBBLE = 7,
  };
  static constexpr int32_t kPods = 5, kShadows = 4;
  // The rail position the defeat moves the rail on to.
  static constexpr float kRailOn = 8600.0f;
  // The frame of the defeat's last sub-step at which the rail moves on and
  // the body ends.
  static constexpr int32_t kEndFrame = 17;

  explicit EnemyType6Behavior(EnemyType6* e) { enemy = e; }
  int32_t Handle(int32_t code, int32_t state) override;

  // Arms towards the arm spread at rate a, cables at rate c, the cables
  // rebuilt from the body to the arms.
  void Animate(float a, float c);
  // The next hover point from index `from` (one rand draw).
  void ChooseNext(int32_t from);

  float hover[5][4] = {};
  const float* chosen = hover[0];
  int32_t chosenIndex = 0;
  float armSpread = 80.0f;
  float cableSpread = 0.0f;
  float cableFactor = 0.75f;
  // 1 once the defeat's explosion, which ends the body, has been had.
  uint8_t blast = 0;
  EnemyType6Pod pods[kPods];
  EnemyType6Kage shadows[kShadows];
  EnemyType6Arm arms[2];
  EnemyType6Cable cables[2];

 private:
  int32_t Entrance(int32_t code);
  int32_t PodsIn(int32_t code);
  int32_t Hover(int32_t code);
  int32_t Burst(int32_t code);
  int32_t Dive(int32_t code);
  int32_t Recall(int32_t code);
  int32_t Shadows(int32_t code);
  int32_t Wobble(int32_t code);
  int32_t Defeated(int32_t code);
  void HomeEnter() override;
  void HomeFrame() override;
  // The two-key move from the position to the target over d frames.
  void Move(const float* target, float d);
  void Charge(int32_t n) const;
  void ShadowsTo(const float (*points)[4], float rate);
  void ShowParts(uint8_t on);
};
