#pragma once
// The demo play of stage 3. Not built yet: it shows nothing.
#include "game/stage/StandInStage.h"

class DemoStage3 : public StandInDemo {
 public:
  DemoStage3();
};
