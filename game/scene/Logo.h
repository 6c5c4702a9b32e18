#pragma once
// The logo of the attract sequence. Not built yet: it shows nothing and,
// after kFrames frames, chooses what follows it: the title when credits are
// present, otherwise the next step of the attract counter.
#include <cstdint>

#include "game/scene/StandInScene.h"

// Advanced by each logo that ends without credits (0..5, program lifetime).
extern int32_t AttractCounter;

class Logo : public StandInScene {
 public:
  Logo() : StandInScene("Logo") {}

 protected:
  void Next(Game& game) override;
};
