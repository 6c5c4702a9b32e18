#pragma once
// The name entry: after its frames it asks for the ranking.
// Not built yet: it shows nothing.
#include "game/scene/StandInScene.h"

class Entry : public StandInScene {
 public:
  Entry() : StandInScene("Entry") {}

 protected:
  void Next(Game& game) override;
};
