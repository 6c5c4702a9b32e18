#pragma once
// The first ending: after its frames it asks for the ranking.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Ending1 : public StandInScene {
 public:
  Ending1() : StandInScene("Ending1") {}

 protected:
  void Next(Game& game) override;
};
