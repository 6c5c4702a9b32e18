#pragma once
// The scene of stage 1. Not built yet: it shows nothing and counts as
// cleared after kFrames frames.
#include "game/stage/StandInStage.h"

class CStage1 : public StandInStage {
 public:
  CStage1();
};
