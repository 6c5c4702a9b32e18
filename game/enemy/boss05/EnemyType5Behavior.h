#pragma once
// The fight of boss type 5: it flies in from below (0), transforms (1),
// then cycles through its attacks: the sweep tour (2), the charged spray
// (3), the crossing arcs (4), the generator volley (5), the fan emitters
// (6), the turning pairs (7) and the flame arcs (8), returning home (100000)
// after three of them. When its time is up at the end of an attack it
// escapes (9); its defeat (100001) hands over to BossPartsObjectT5.
#include <cstdint>
#include <memory>

#include "game/effect/EffectShotMan.h"
#include "game/enemy/BossBehavior.h"
#include "game/enemy/ColorFader.h"
#include "game/enemy/ObjHolder.h"

class EnemyType5;

class EnemyType5Behavior : public BossBehaviorOf<EnemyType5> {
 public:
  enum : int32_t {
    STATE_ENTRY = 0,
    STATE_TRANSFORM = 1,
    STATE_SWEEP = 2,
    STATE_SPRAY = 3,
    STATE_ARCS = 4,
    STATE_VOLLEY = 5,
    STATE_FANS = 6,
    STATE_PAIRS = 7,
    STATE_FLAMES = 8,
    STATE_ESCAPE = 9,
  };
  // Model animation segments and ranges the script names.
  enum : uint32_t {
    SEG_IDLE = 0, SEG_ESCAPE = 10, SEG_RIGHT_ARM = 13, SEG_LEFT_ARM = 14, SEG_FIRE = 16, SEG_SETTLE = 17,
    SEG_DEFEAT = 18, SEG_ENTRY = 23, SEG_ARRIVE = 25, SEG_OPEN = 26, SEG_OPENED = 27,
  };
  static constexpr int32_t kChargeSound = 55, kShotSound = 10, kOpenSound = 14;

  explicit EnemyType5Behavior(EnemyType5* e) { enemy = e; }
  int32_t Handle(int32_t code, int32_t state) override;

  float* muzzle35 = nullptr;
  float shotPoint[3] = {};
  float* muzzle36 = nullptr;
  float threePoints[3][4] = {};
  float* muzzle11 = nullptr;
  float* muzzle19 = nullptr;
  int32_t loopCount = 0;
  ColorFader ramp;
  std::unique_ptr<ObjHolder[]> entryGlows;
  EffectShotMan effectShots;
  int32_t sweepCounter = 0;
  float sweepFrom = 0.0f, sweepTo = 0.0f;

 private:
  int32_t Entry(int32_t code);
  int32_t Transform(int32_t code);
  int32_t Sweep(int32_t code);
  int32_t Spray(int32_t code, bool generators);
  int32_t Arcs(int32_t code);
  int32_t Fans(int32_t code);
  int32_t Pairs(int32_t code);
  int32_t Flames(int32_t code);
  int32_t Defeated(int32_t code);
  void AwayEnter() override;
  void AwayFrame() override;

  // The end of an attack: the escape when time is up, else `state`.
  void Next(int32_t state) { NextOrTimeUp(state, STATE_ESCAPE); }
  // Charge particles converging on position + (0, -25) for charge ratio t.
  void Charge(float t) const;
  // The charge glow at position + (0, dy), its size s.
  void Glow(float dy, float s, const float* from, const float* to) const;
  void Volley() const;
};
