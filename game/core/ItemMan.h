#pragma once
// The item manager.
// Only what the game root needs of it is here so far: its name and the
// calls the root makes when a stage ends.
#include "vrax/kernel/SProc.h"

class ItemMan : public SProc {
 public:
  // Releases every live item.
  void KillAll();
 protected:
  int32_t Init(SProcArg arg) override;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern ItemMan g_ItemMan;
