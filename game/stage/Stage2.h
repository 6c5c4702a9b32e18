#pragma once
// The scene of stage 2. Not built yet: it shows nothing and counts as
// cleared after kFrames frames.
#include "game/stage/StandInStage.h"

class Stage2 : public StandInStage {
 public:
  Stage2();
};
