#include "game/stage/CStage1.h"

#include "game/core/Game.h"

int32_t CStage1::Init(SProcArg arg) {
  SetName("Stage1");
  argument_ = static_cast<int32_t>(arg);
  frame_ = 0;
  return 0;
}

int32_t CStage1::Main(SProcArg) {
  // The stage counts as cleared: the game root ends it and shows the result.
  if (++frame_ == kFrames) {
    if (Game* game = GetGame()) game->stageClear = 1;
  }
  return 0;
}
