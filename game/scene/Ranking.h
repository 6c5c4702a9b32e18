#pragma once
// The ranking scene (the 25 best plays): after its frames it asks for the
// title when credits are present, otherwise the logo.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Ranking : public StandInScene {
 public:
  Ranking() : StandInScene("Ranking") {}

 protected:
  void Next(Game& game) override;
};
