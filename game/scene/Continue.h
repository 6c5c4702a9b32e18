#pragma once
// The continue scene: after its frames it asks for the title.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Continue : public StandInScene {
 public:
  Continue() : StandInScene("Continue") {}

 protected:
  void Next(Game& game) override;
};
