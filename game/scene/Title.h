#pragma once
// The title scene: after its frames it asks for the ranking.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Title : public StandInScene {
 public:
  Title() : StandInScene("Title") {}

 protected:
  void Next(Game& game) override;
};
