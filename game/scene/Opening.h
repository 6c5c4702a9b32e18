#pragma once
// The attract opening: after its frames it asks for the title.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Opening : public StandInScene {
 public:
  Opening() : StandInScene("Opening") {}

 protected:
  void Next(Game& game) override;
};
