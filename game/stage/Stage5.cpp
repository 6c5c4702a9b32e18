#include "game/stage/Stage5.h"

#include "game/core/Game.h"

int32_t Stage5::Init(SProcArg arg) {
  SetName("Stage5");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t Stage5::Main(SProcArg) {
  // The end of the rail: the stage ends itself into the second ending.
  if (++frame_ == kFrames) {
    if (Game* game = GetGame()) {
      game->ClearStageObjects();
      game->ChangeScene(SCENE_ENDING2, 1);
    }
  }
  return 0;
}
