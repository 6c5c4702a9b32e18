#include "game/scene/Entry.h"

#include "game/core/Game.h"

void Entry::Next(Game& game) {
  game.ChangeScene(SCENE_RANKING);
}
