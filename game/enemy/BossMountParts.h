#pragma once
// A piece of a boss's armour on one of its model nodes: it stands where the
// node stands, blocks the Player's shots (its body is immune) and can be
// neither damaged nor destroyed. The script hangs shot generators on it.
// It is a member of the boss's script object, added to the boss as a static
// child, so the boss owns and outlives it. Each boss gives its pieces their
// own process name, record kind and body radius.
#include <cstdint>

#include "game/enemy/EObjBase.h"
#include "vrax/graphic/SGpNode.h"

class EnemyBase;

class BossMountParts : public EObjBase {
 public:
  static constexpr uint32_t kMask = 0x104;
  // What sets one boss's pieces apart.
  struct Kind {
    const char* name;
    int32_t paramKind;
    float radius;
    // When grabbed: every child list ends, or only list 0 (the generators).
    bool endsEveryList;
  };

  BossMountParts(EnemyBase* boss, const Kind& kind) : boss_(boss), kind_(kind) {}

  SGpNode* node = nullptr;
  SMatrix* nodeMatrix = nullptr;

 protected:
  int32_t Init(SProcArg nodeNumber) override;
  int32_t Main(SProcArg arg) override;
  int32_t OnDispose(SProcArg arg) override;
  int32_t User(int32_t code, SProcArg arg) override;

 private:
  EnemyBase* boss_;
  const Kind& kind_;
};
