#include "game/scene/Opening.h"

#include "game/core/Game.h"

void Opening::Next(Game& game) {
  game.ChangeScene(SCENE_TITLE);
}
