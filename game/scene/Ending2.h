#pragma once
// The second ending: after its frames it asks for the ranking.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Ending2 : public StandInScene {
 public:
  Ending2() : StandInScene("Ending2") {}

 protected:
  void Next(Game& game) override;
};
