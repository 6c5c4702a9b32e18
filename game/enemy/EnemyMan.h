#pragma once
// The enemy manager. Only its name is here so far: it has no enemy children
// yet, and the calls the game root makes when a stage ends are not built.
#include "vrax/kernel/SProc.h"

class EnemyMan : public SProc {
 public:

 protected:
  int32_t Init(SProcArg arg) override;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern EnemyMan g_EnemyMan;
