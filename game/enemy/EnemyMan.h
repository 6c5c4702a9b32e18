#pragma once
// The enemy manager: the persistent process that parents every enemy. The
// enemy timeline adds spawned enemies to its child list 0; it passes the
// frame events on to them and draws every enemy of EnemyDrawList from far to
// near (largest z first), so that nearer enemies cover farther ones.
#include <vector>

#include "vrax/kernel/SProc.h"

class EObjBase;

class EnemyMan : public SProc {
 public:
  // Room EnemyDrawList keeps from the start.
  static constexpr size_t kDrawRoom = 64;

  // Orders EnemyDrawList far to near (by the z of each enemy's position).
  static void SortDrawList();

 protected:
  int32_t Init(SProcArg arg) override;
  // Sorts the draw list and calls each listed enemy's draw handler.
  int32_t Draw(SProcArg arg) override;
  int32_t Main(SProcArg arg) override;
  int32_t End(SProcArg arg) override;
};

// The enemies to draw: each enemy appends itself at its EVENT_INIT and
// removes itself when it is disposed.
extern std::vector<EObjBase*> EnemyDrawList;
// Appends an enemy; removes the first entry equal to it (the others keep
// their order).
void EnemyDrawListAdd(EObjBase* e);
void EnemyDrawListRemove(EObjBase* e);

// The persistent object; the game root adds it to its lists in scene 2.
extern EnemyMan g_EnemyMan;
