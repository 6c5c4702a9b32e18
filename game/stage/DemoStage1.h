#pragma once
// The demo play of stage 1. Not built yet: it shows nothing.
#include "game/stage/StandInStage.h"

class DemoStage1 : public StandInDemo {
 public:
  DemoStage1();
};
