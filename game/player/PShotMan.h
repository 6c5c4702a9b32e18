#pragma once
// The player-shot manager.
// Only what the game root needs of it is here so far: its name and the
// calls the root makes when a stage ends.
#include "vrax/kernel/SProc.h"

class PShotMan : public SProc {
 public:
  // Removes every live player shot.
  void ClearShots();
 protected:
  int32_t Init(SProcArg arg) override;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern PShotMan g_PShotMan;
