#pragma once
// The item manager.
// Only what the game root and the enemies need of it is here so far: its
// name, the calls the root makes when a stage ends, and the drop call of a
// defeated enemy (items are not built yet: nothing drops).
#include "vrax/kernel/SProc.h"

class EObjBase;

class ItemMan : public SProc {
 public:
  // Releases every live item.
  void KillAll();
  // Drops the items of a defeated enemy at its position.
  void Spawn(EObjBase* /*enemy*/) {}
 protected:
  int32_t Init(SProcArg arg) override;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern ItemMan g_ItemMan;
