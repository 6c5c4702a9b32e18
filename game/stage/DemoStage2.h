#pragma once
// The demo play of stage 2. Not built yet: it shows nothing.
#include "game/stage/StandInStage.h"

class DemoStage2 : public StandInDemo {
 public:
  DemoStage2();
};
