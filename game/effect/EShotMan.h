#pragma once
// The enemy-bullet manager.
// Only what the game root needs of it is here so far: its name and the
// calls the root makes when a stage ends.
#include "vrax/kernel/SProc.h"

class EShotMan : public SProc {
 public:
  // Removes every live enemy bullet; with flag 1 each first shows its
  // vanish effect.
  void ClearAll(int32_t flag);
 protected:
  int32_t Init(SProcArg arg) override;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern EShotMan g_EShotMan;
