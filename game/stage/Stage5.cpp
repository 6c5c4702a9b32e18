#include "game/stage/Stage5.h"

#include "game/core/Game.h"

void Stage5::TimeUp() {
  // The end of the rail: the stage ends itself into the second ending.
  if (Game* game = GetGame()) {
    game->ClearStageObjects();
    game->ChangeScene(SCENE_ENDING2, 1);
  }
}
