#pragma once
#include "game/scene/EndingScene.h"

// Scene 10: the ending of a play that clears stage 4 below 350,000,000
// points; on to the name entry, or to the ranking when the play does not
// rank.
class Ending1 : public EndingScene {
 public:
  Ending1();

 protected:
  int32_t OnDispose(SProcArg arg) override;
};
