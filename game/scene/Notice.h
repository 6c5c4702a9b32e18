#pragma once
// The notice shown after start-up: after its frames it asks for the title
// when credits are present, otherwise the logo.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Notice : public StandInScene {
 public:
  Notice() : StandInScene("Notice") {}

 protected:
  void Next(Game& game) override;
};
