#include "game/scene/Tutorial.h"

#include "game/core/Game.h"

void Tutorial::Next(Game& game) {
  if (GetArgument() == 1)
    game.ChangeScene(SCENE_STAGE, 1);
  else
    game.ChangeScene(SCENE_TITLE);
}
