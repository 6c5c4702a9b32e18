#pragma once
#include "game/scene/EndingScene.h"

// Scene 11: the ending after stage 5; on to the stage result.
class Ending2 : public EndingScene {
 public:
  Ending2();

 protected:
  int32_t OnDispose(SProcArg arg) override;
};
