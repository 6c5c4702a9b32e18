#pragma once
// The enemy manager: every enemy is its child.
// Only what the game root needs of it is here so far: its name and the
// calls the root makes when a stage ends.
#include "vrax/kernel/SProc.h"

class EnemyMan : public SProc {
 public:

 protected:
  int32_t Init(SProcArg arg) override;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern EnemyMan g_EnemyMan;
