#pragma once
// The scene of stage 4. Not built yet: it shows nothing and counts as
// cleared after kFrames frames.
#include "game/stage/StandInStage.h"

class Stage4 : public StandInStage {
 public:
  Stage4();
};
