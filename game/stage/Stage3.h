#pragma once
// The scene of stage 3. Not built yet: it shows nothing and counts as
// cleared after kFrames frames.
#include "game/stage/StandInStage.h"

class Stage3 : public StandInStage {
 public:
  Stage3();
};
