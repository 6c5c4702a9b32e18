#pragma once
// The stage world process. Only the frame step is here so far: the time step
// by which the stage's movers advance each frame.
#include "vrax/kernel/SProc.h"

class MapMng : public SProc {
 public:
  float frameStep = 1.0f;
};

extern MapMng g_MapMng;
