#pragma once
// The tutorial: argument 1 before a play (the stage follows), 0 in the
// attract sequence (the title follows).
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Tutorial : public StandInScene {
 public:
  Tutorial() : StandInScene("Tutorial") {}

 protected:
  void Next(Game& game) override;
};
