#pragma once
// The effect manager.
// Only what the game root needs of it is here so far: its name and the
// calls the root makes when a stage ends.
#include "vrax/kernel/SProc.h"

class EfxMan : public SProc {
 public:
  // Releases every live effect.
  void ClearAll();
 protected:
  int32_t Init(SProcArg arg) override;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern EfxMan g_EfxMan;
