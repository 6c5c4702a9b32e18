#pragma once
// The least form of an enemy type whose own behaviour is not built yet: an
// EnemyBase that appears where its spawn record puts it, holds the enemy
// timeline while it lives, can be hit and is defeated. Its behaviour object
// has the members every boss script has (a spline mover, except type 17)
// and does nothing of its own. Each type's header names its two classes
// with ENEMY_STAND_IN.
#include <cstdint>

#include "game/core/Behavior.h"
#include "game/core/SplineMover.h"
#include "game/enemy/EnemyBase.h"

#define ENEMY_STAND_IN_CLASSES(N, MEMBERS)                                              \
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
                                                                                        \
   private:                                                                             \
    EnemyType##N##Behavior script_{this};                                               \
  }

#define ENEMY_STAND_IN(N) ENEMY_STAND_IN_CLASSES(N, SplineMover mover;)
