#pragma once
// The stage result: after its frames it asks for the next stage.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class StageResult : public StandInScene {
 public:
  StageResult() : StandInScene("StageResult") {}

 protected:
  void Next(Game& game) override;
};
