#include "game/scene/Continue.h"

#include "game/core/Game.h"

void Continue::Next(Game& game) {
  game.ChangeScene(SCENE_TITLE);
}
