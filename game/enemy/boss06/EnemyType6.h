#pragma once
// Boss type 6, the largest boss: its behaviour object carries five pods,
// four shadow doubles, two arms and two cables. It loops the rail over its
// arena while it lives and plays the boss music; it ends when its defeat
// has blown it up and moved the rail on.
#include <cstdint>

#include "game/enemy/EnemyBase.h"
#include "game/enemy/boss06/EnemyType6Behavior.h"

class EnemyType6 : public EnemyBase {
 public:
  static constexpr int32_t kType = 6;
  static constexpr float kLoopTo = 7348.0f, kLoopAt = 8253.0f;
  static constexpr int32_t kStageMusic = 1, kBossMusic = 5;

  using EnemyBase::Script;  // EObjBase's behaviour handler, beside the accessor
  EnemyType6Behavior& Script() { return script_; }
  // The world matrix of model node 47 (kept as the body is drawn), where
  // pods dock, and its translation, where arms and cables hang.
  const SMatrix* Node47World();
  const float* Node47() { return Node47World()->m[3]; }
  void StepChildren() override;

 protected:
  int32_t Init(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;

 private:
  EnemyType6Behavior script_{this};
  SMatrix nowhere_ = kIdentityMatrix;  // without a node 47
};
