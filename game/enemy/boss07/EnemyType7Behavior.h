#pragma once
// The fight of boss type 7: an entrance, a sway with two satellites firing,
// then the attacks thunder sweep (2), thunder barrage (4) and twin comets
// (3) in a cycle, each reached through a return move (100000); at its
// defeat (100001) the companion BossPartsObjectT7 takes over.
#include <cstdint>

#include "game/effect/EThunderMan.h"
#include "game/enemy/BossBehavior.h"
#include "game/enemy/BossOption2D.h"
#include "game/enemy/SpawnChild.h"

class EnemyType7;

class EnemyType7Behavior : public BossBehaviorOf<EnemyType7> {
 public:
  enum : int32_t {
    STATE_ENTRANCE = 0,
    STATE_SWAY = 1,
    STATE_SWEEP = 2,
    STATE_COMETS = 3,
    STATE_BARRAGE = 4,
  };
  static constexpr int32_t kReturnFrames = 80;
  // Voices: sway, sweep, comets, barrage; the defeat's two cries.
  static constexpr int32_t kVoiceSway = 26, kVoiceSweep = 27, kVoiceComets = 28, kVoiceBarrage = 29;
  static constexpr int32_t kVoiceDefeatA = 31, kVoiceDefeatB = 32;

  explicit EnemyType7Behavior(EnemyType7* e) { enemy = e; }
  int32_t Handle(int32_t code, int32_t state) override;

  ChildSlots<BossOption2D, 2> options;
  float twinA[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  float twinB[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  int32_t twinCounter = 0;
  EThunderMan thunder;

 private:
  int32_t Entrance(int32_t code);
  int32_t Sway(int32_t code);
  int32_t Sweep(int32_t code);
  int32_t Comets(int32_t code);
  int32_t Barrage(int32_t code);
  int32_t Defeated(int32_t code);
  // The thunder generator of the scripts on this behaviour's manager, from
  // the body's position.
  void Thunder(float length, float aFrom, float aTo, float bFrom, float bTo, float v1, float v2, int32_t v3,
               int32_t word, int32_t count, int32_t period, int32_t delay);
};
