#pragma once
// The scene of stage 5: after its frames it ends the stage and asks for
// the second ending.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Stage5 : public StandInScene {
 public:
  Stage5() : StandInScene("Stage5") {}

 protected:
  void TimeUp() override;
};
