#pragma once
// The least form of an enemy type whose own behaviour is not built yet: an
// EnemyBase that appears where its spawn record puts it, holds the enemy
// timeline while it lives, can be hit and is defeated. Its behaviour object
// has the members every boss script has (a spline mover, except type 17)
// and does nothing of its own. Each type's header names its two classes
// with ENEMY_STAND_IN. Its defeat ends its fight as a boss's defeat does:
// the rail's arena loop (MapMng's queued section change) is let go, and the
// stand-in of a stage's last boss (the types whose defeat companions tell
// the game that the boss is beaten) tells the game so, so that the stage
// can end.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/SplineMover.h"
#include "game/enemy/EnemyBase.h"

// A stand-in boss's fight is over: the arena loop let go and, for a stage's
// last boss, the game root told that the boss is beaten.
void StandInFightOver(bool endsStage);

#define ENEMY_STAND_IN_CLASSES_EX(N, MEMBERS, ENDS_STAGE)                               \
  class EnemyType##N##Behavior : public Behavior {                                      \
   public:                                                                              \
    explicit EnemyType##N##Behavior(EnemyBase* e) : enemy(e) {}                          \
    int32_t Handle(int32_t /*code*/, int32_t /*state*/) override { return 0; }           \
    EnemyBase* enemy;                                                                   \
    MEMBERS                                                                             \
  };                                                                                    \
  class EnemyType##N : public EnemyBase {                                               \
   public:                                                                              \
    static constexpr int32_t kType = N;                                                 \
    EnemyType##N##Behavior& Script() { return script_; }                                 \
                                                                                        \
   protected:                                                                           \
    int32_t Init(SProcArg arg) override {                                               \
      script = &script_;                                                                \
      return OnInit(arg);                                                               \
    }                                                                                   \
    int32_t User(int32_t code, SProcArg arg) override {                                 \
      if (code == EV_DEFEATED && grabMode != GRAB_DEFEATED) StandInFightOver(ENDS_STAGE);    \
      return EnemyBase::User(code, arg);                                                \
    }                                                                                   \
                                                                                        \
   private:                                                                             \
    EnemyType##N##Behavior script_{this};                                               \
  }

#define ENEMY_STAND_IN(N) ENEMY_STAND_IN_CLASSES(N, SplineMover mover;)

#define ENEMY_STAND_IN_CLASSES(N, MEMBERS) ENEMY_STAND_IN_CLASSES_EX(N, MEMBERS, false)
// A stage's last boss.
#define ENEMY_STAND_IN_FINAL(N) ENEMY_STAND_IN_CLASSES_EX(N, SplineMover mover;, true)
