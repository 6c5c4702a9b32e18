#pragma once
// The in-game display (score panel, gauges, banners).
// Only what the game root needs of it is here so far: its name and the
// calls the root makes when a stage ends.
#include "vrax/kernel/SProc.h"

class ZGInterface : public SProc {
 public:
  // Back to the panel's start state.
  void ResetPanel() {}
  // One frame of the panel's show (true) or hide (false) ramp.
  void StepHoldRamp(bool show) { holdRamp = show ? 1 : 0; }
  int32_t holdRamp = 0;
 protected:
  int32_t Init(SProcArg arg) override;
};

// The persistent object; the game root adds it to its lists in scene 2.
extern ZGInterface g_ZGInterface;
