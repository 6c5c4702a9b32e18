#include "game/scene/Notice.h"

#include "game/core/Game.h"

void Notice::Next(Game& game) {
  game.ChangeScene(CreditPresent() ? SCENE_TITLE : SCENE_LOGO);
}
